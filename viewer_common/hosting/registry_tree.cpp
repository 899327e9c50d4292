#include "viewer_common/hosting/registry_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace hosting {
namespace {

constexpr const char* kValuesField = "values";
constexpr const char* kKeysField = "keys";

// Splits "a/b/c" into its parts, ignoring empty ones.
template <typename F>
void ForEachPart(std::string_view path, F&& f) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) f(path.substr(start, end - start));
    start = end + 1;
  }
}

QJsonObject ToJson(const RegistryKey& key) {
  QJsonObject values;
  for (const auto& [name, value] : key.values)
    values.insert(QString::fromStdString(name), QString::fromStdString(value));
  QJsonObject keys;
  for (const auto& [name, sub] : key.keys) keys.insert(QString::fromStdString(name), ToJson(sub));
  QJsonObject o;
  o.insert(kValuesField, values);
  o.insert(kKeysField, keys);
  return o;
}

bool FromJson(const QJsonObject& o, RegistryKey* key, int depth) {
  if (depth > 64) return false;  // no registry goes this deep; refuse a hostile file
  const QJsonValue values = o.value(kValuesField);
  const QJsonValue keys = o.value(kKeysField);
  if (!values.isObject() || !keys.isObject()) return false;
  const QJsonObject vo = values.toObject();
  for (auto it = vo.begin(); it != vo.end(); ++it) {
    if (!it.value().isString()) return false;
    key->values[it.key().toStdString()] = it.value().toString().toStdString();
  }
  const QJsonObject ko = keys.toObject();
  for (auto it = ko.begin(); it != ko.end(); ++it) {
    if (!it.value().isObject()) return false;
    if (!FromJson(it.value().toObject(), &key->keys[it.key().toStdString()], depth + 1)) return false;
  }
  return true;
}

}  // namespace

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

const RegistryKey* RegistryKey::Find(std::string_view path) const {
  const RegistryKey* k = this;
  ForEachPart(path, [&k](std::string_view part) {
    if (!k) return;
    auto it = k->keys.find(part);
    k = it == k->keys.end() ? nullptr : &it->second;
  });
  return k;
}

RegistryKey& RegistryKey::CreatePath(std::string_view path) {
  RegistryKey* k = this;
  ForEachPart(path, [&k](std::string_view part) {
    auto it = k->keys.find(part);
    if (it == k->keys.end()) it = k->keys.emplace(std::string(part), RegistryKey{}).first;
    k = &it->second;
  });
  return *k;
}

std::optional<std::string> RegistryKey::DefaultValue(std::string_view path) const {
  const RegistryKey* k = Find(path);
  if (!k) return std::nullopt;
  auto it = k->values.find(std::string_view());
  if (it == k->values.end()) return std::nullopt;
  return it->second;
}

std::string RegistryPath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    base = QDir::homePath().toStdString() + "/.config";
  }
  return base + "/OsmundTools/registry.json";
}

HRESULT LoadRegistry(const std::string& path, RegistryTree* out) {
  if (!out) return E_POINTER;
  *out = RegistryTree{};
  QFile f(QString::fromStdString(path));
  if (!f.exists()) return S_OK;
  if (!f.open(QIODevice::ReadOnly)) return STG_E_READFAULT;
  constexpr qint64 kMaxSize = 16 << 20;
  if (f.size() > kMaxSize) return STG_E_READFAULT;
  QJsonParseError err;
  QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
  if (err.error != QJsonParseError::NoError || !doc.isObject()) return STG_E_READFAULT;
  RegistryTree tree;
  if (!FromJson(doc.object(), &tree, 0)) return STG_E_READFAULT;
  *out = std::move(tree);
  return S_OK;
}

HRESULT SaveRegistry(const std::string& path, const RegistryTree& tree) {
  const QString qpath = QString::fromStdString(path);
  if (!QDir().mkpath(QFileInfo(qpath).absolutePath())) return STG_E_CANTSAVE;
  QSaveFile f(qpath);
  if (!f.open(QIODevice::WriteOnly)) return STG_E_CANTSAVE;
  const QByteArray data = QJsonDocument(ToJson(tree)).toJson(QJsonDocument::Indented);
  if (f.write(data) != data.size()) {
    f.cancelWriting();
    return STG_E_CANTSAVE;
  }
  return f.commit() ? S_OK : STG_E_CANTSAVE;
}

std::optional<Guid> ClsidFromProgId(const RegistryTree& tree, std::string_view prog_id) {
  const std::string base = std::string(kClassesRoot) + "/" + std::string(prog_id);
  // A version-independent ProgID names its current version.
  if (auto cur = tree.DefaultValue(base + "/CurVer")) {
    if (auto g = tree.DefaultValue(std::string(kClassesRoot) + "/" + *cur + "/CLSID")) return Guid::Parse(*g);
  }
  if (auto g = tree.DefaultValue(base + "/CLSID")) return Guid::Parse(*g);
  return std::nullopt;
}

std::optional<std::string> InprocServerPath(const RegistryTree& tree, const Guid& clsid) {
  return tree.DefaultValue(std::string(kClassesRoot) + "/CLSID/" + clsid.ToString() + "/InprocServer32");
}

}  // namespace hosting
