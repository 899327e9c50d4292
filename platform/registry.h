// File: platform/registry.h
//
// Per-user application settings values (the registry of the Windows design):
// QSettings in INI format under the user scope, organisation = application
// name, one group per section.  Tests install a MemoryRegistry.
//
//   platform::CurrentRegistry().Write("OsmundTools", "Path", "ruvel", "/opt/ruvel/ruvel");
//   QString where = platform::CurrentRegistry().Read("OsmundTools", "Path", "ruvel", "");
#pragma once

#include <QString>
#include <map>
#include <tuple>

namespace platform {

class Registry {
 public:
  virtual ~Registry() = default;
  virtual QString Read(const QString& app, const QString& section, const QString& key,
                       const QString& fallback) = 0;
  // Returns false when the value could not be stored.
  virtual bool Write(const QString& app, const QString& section, const QString& key,
                     const QString& value) = 0;
};

Registry& CurrentRegistry();         // QSettings-backed by default
void SetRegistry(Registry* registry);  // nullptr restores the default

// MemoryRegistry: values in memory; counts writes so tests can tell whether
// a value was rewritten.
class MemoryRegistry : public Registry {
 public:
  QString Read(const QString& app, const QString& section, const QString& key,
               const QString& fallback) override;
  bool Write(const QString& app, const QString& section, const QString& key,
             const QString& value) override;
  int writes() const { return writes_; }

 private:
  std::map<std::tuple<QString, QString, QString>, QString> values_;
  int writes_ = 0;
};

}  // namespace platform
