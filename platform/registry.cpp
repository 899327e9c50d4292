// File: platform/registry.cpp
#include "platform/registry.h"

#include <QSettings>

namespace platform {
namespace {

class SettingsRegistry : public Registry {
 public:
  QString Read(const QString& app, const QString& section, const QString& key,
               const QString& fallback) override {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, app);
    settings.beginGroup(section);
    return settings.value(key, fallback).toString();
  }
  bool Write(const QString& app, const QString& section, const QString& key,
             const QString& value) override {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, app);
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
  }
};

SettingsRegistry& DefaultRegistry() {
  static SettingsRegistry registry;
  return registry;
}

Registry* g_registry = nullptr;

}  // namespace

Registry& CurrentRegistry() { return g_registry ? *g_registry : DefaultRegistry(); }
void SetRegistry(Registry* registry) { g_registry = registry; }

QString MemoryRegistry::Read(const QString& app, const QString& section, const QString& key,
                             const QString& fallback) {
  auto it = values_.find({app, section, key});
  return it == values_.end() ? fallback : it->second;
}

bool MemoryRegistry::Write(const QString& app, const QString& section, const QString& key,
                           const QString& value) {
  values_[{app, section, key}] = value;
  ++writes_;
  return true;
}

}  // namespace platform
