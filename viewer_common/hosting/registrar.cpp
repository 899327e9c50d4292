#include "viewer_common/hosting/registrar.h"

#include <cctype>

namespace hosting {
namespace {

bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string RootName(std::string_view n) {
  if (IEquals(n, "HKCR") || IEquals(n, "HKEY_CLASSES_ROOT")) return kClassesRoot;
  if (IEquals(n, "HKCU") || IEquals(n, "HKEY_CURRENT_USER")) return "HKEY_CURRENT_USER";
  if (IEquals(n, "HKLM") || IEquals(n, "HKEY_LOCAL_MACHINE")) return "HKEY_LOCAL_MACHINE";
  return {};
}

struct Token {
  enum Kind { kWord, kQuoted, kOpen, kClose, kEquals, kEnd } kind = kEnd;
  std::string text;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}
  bool Next(Token* t, std::string* error) {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    t->text.clear();
    if (pos_ >= text_.size()) { t->kind = Token::kEnd; return true; }
    char c = text_[pos_];
    if (c == '{' && !LooksLikeGuid()) { ++pos_; t->kind = Token::kOpen; return true; }
    if (c == '}') { ++pos_; t->kind = Token::kClose; return true; }
    if (c == '=') { ++pos_; t->kind = Token::kEquals; return true; }
    if (c == '\'') {
      ++pos_;
      t->kind = Token::kQuoted;
      while (true) {
        if (pos_ >= text_.size()) { *error = "unterminated quoted string"; return false; }
        if (text_[pos_] == '\'') {
          if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') { t->text += '\''; pos_ += 2; continue; }
          ++pos_;
          return true;
        }
        t->text += text_[pos_++];
      }
    }
    t->kind = Token::kWord;
    while (pos_ < text_.size()) {
      char d = text_[pos_];
      if (std::isspace(static_cast<unsigned char>(d)) || d == '=' || d == '\'') break;
      if ((d == '{' || d == '}') && !t->text.empty() && t->text.front() != '{') break;
      t->text += d;
      ++pos_;
      if (d == '}') break;  // end of a bare GUID name
    }
    return true;
  }

 private:
  // A bare key name may itself be a GUID "{...}".
  bool LooksLikeGuid() const {
    return pos_ + 38 <= text_.size() && Guid::Parse(text_.substr(pos_, 38)).has_value();
  }
  std::string_view text_;
  size_t pos_ = 0;
};

class Parser {
 public:
  Parser(std::string_view text, std::string* error) : lex_(text), error_(error) {}

  bool ParseScript(RegistrarScript* out) {
    if (!Advance()) return false;
    while (tok_.kind != Token::kEnd) {
      if (tok_.kind != Token::kWord || RootName(tok_.text).empty()) return Fail("expected a root key");
      RegistrarNode root;
      root.name = RootName(tok_.text);
      root.flag = RegistrarNode::Flag::kNoRemove;
      if (!Advance()) return false;
      if (tok_.kind != Token::kOpen) return Fail("expected '{' after the root key");
      if (!ParseBlock(&root.children, 0)) return false;
      out->roots.push_back(std::move(root));
    }
    return true;
  }

 private:
  bool Advance() { return lex_.Next(&tok_, error_); }
  bool Fail(const char* what) { *error_ = what; return false; }

  // Called on '{'; consumes through the matching '}'.
  bool ParseBlock(std::vector<RegistrarNode>* nodes, int depth) {
    if (depth > 32) return Fail("keys nested too deeply");
    if (!Advance()) return false;
    while (tok_.kind != Token::kClose) {
      if (tok_.kind == Token::kEnd) return Fail("missing '}'");
      RegistrarNode node;
      if (!ParseNode(&node, depth)) return false;
      nodes->push_back(std::move(node));
    }
    return Advance();
  }

  bool ParseNode(RegistrarNode* node, int depth) {
    using Flag = RegistrarNode::Flag;
    while (tok_.kind == Token::kWord) {
      if (IEquals(tok_.text, "NoRemove")) node->flag = Flag::kNoRemove;
      else if (IEquals(tok_.text, "ForceRemove")) node->flag = Flag::kForceRemove;
      else if (IEquals(tok_.text, "Delete")) node->flag = Flag::kDelete;
      else if (IEquals(tok_.text, "val") && !node->is_value) node->is_value = true;
      else break;
      if (!Advance()) return false;
    }
    if (tok_.kind != Token::kWord && tok_.kind != Token::kQuoted) return Fail("expected a key name");
    node->name = tok_.text;
    if (!Advance()) return false;
    if (tok_.kind == Token::kEquals) {
      if (!Advance()) return false;
      if (tok_.kind != Token::kWord || (!IEquals(tok_.text, "s") && !IEquals(tok_.text, "d")))
        return Fail("expected value type 's' or 'd'");
      if (!Advance()) return false;
      if (tok_.kind != Token::kQuoted) return Fail("expected a quoted value");
      node->has_value = true;
      node->value = tok_.text;
      if (!Advance()) return false;
    }
    if (node->is_value && !node->has_value) return Fail("'val' needs a value");
    if (tok_.kind == Token::kOpen) {
      if (node->is_value) return Fail("a value has no subkeys");
      return ParseBlock(&node->children, depth + 1);
    }
    return true;
  }

  Lexer lex_;
  Token tok_;
  std::string* error_;
};

bool Substitute(std::string_view text, const std::map<std::string, std::string>& vars, std::string* out,
                std::string* error) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') { *out += text[i]; continue; }
    size_t end = text.find('%', i + 1);
    if (end == std::string_view::npos) { *error = "unmatched '%'"; return false; }
    std::string name(text.substr(i + 1, end - i - 1));
    if (name.empty()) {
      *out += '%';
    } else {
      auto it = vars.find(name);
      if (it == vars.end()) { *error = "unknown variable %" + name + "%"; return false; }
      *out += it->second;
    }
    i = end;
  }
  return true;
}

void Register(const std::vector<RegistrarNode>& nodes, RegistryKey* key) {
  using Flag = RegistrarNode::Flag;
  for (const RegistrarNode& n : nodes) {
    if (n.is_value) { key->values[n.name] = n.value; continue; }
    if (n.flag == Flag::kDelete) { key->keys.erase(n.name); continue; }
    if (n.flag == Flag::kForceRemove) key->keys.erase(n.name);
    RegistryKey& sub = key->keys[n.name];
    if (n.has_value) sub.values[""] = n.value;
    Register(n.children, &sub);
  }
}

void Unregister(const std::vector<RegistrarNode>& nodes, RegistryKey* key) {
  using Flag = RegistrarNode::Flag;
  for (const RegistrarNode& n : nodes) {
    if (n.is_value) {
      auto v = key->values.find(n.name);
      if (v != key->values.end() && v->second == n.value) key->values.erase(v);
      continue;
    }
    auto it = key->keys.find(n.name);
    if (it == key->keys.end()) continue;
    if (n.flag == Flag::kForceRemove || n.flag == Flag::kDelete) { key->keys.erase(it); continue; }
    Unregister(n.children, &it->second);
    if (n.flag == Flag::kNoRemove) continue;
    // Our default value goes; a value someone else wrote since stays.
    auto def = it->second.values.find(std::string_view());
    if (n.has_value && def != it->second.values.end() && def->second == n.value) it->second.values.erase(def);
    if (it->second.Empty()) key->keys.erase(it);
  }
}

std::string Quote(std::string_view s) {
  std::string r = "'";
  for (char c : s) {
    if (c == '\'') r += '\'';
    r += c;
  }
  return r + "'";
}

}  // namespace

HRESULT ParseRegistrar(std::string_view text, const std::map<std::string, std::string>& vars,
                       RegistrarScript* out, std::string* error) {
  std::string scratch;
  if (!error) error = &scratch;
  if (!out) return E_POINTER;
  *out = RegistrarScript{};
  std::string expanded;
  if (!Substitute(text, vars, &expanded, error)) return E_INVALIDARG;
  RegistrarScript script;
  Parser p(expanded, error);
  if (!p.ParseScript(&script)) return E_INVALIDARG;
  *out = std::move(script);
  return S_OK;
}

void ApplyRegistrar(const RegistrarScript& script, RegistrarMode mode, RegistryTree* tree) {
  for (const RegistrarNode& root : script.roots) {
    RegistryKey& key = tree->keys[root.name];
    if (mode == RegistrarMode::kRegister) {
      Register(root.children, &key);
    } else {
      Unregister(root.children, &key);
      if (key.Empty()) tree->keys.erase(root.name);
    }
  }
}

std::string StandardClassScript(const ClassInfo& c) {
  const std::string clsid = c.clsid.ToString();
  const std::string desc = Quote(c.description);
  const std::string long_desc = Quote(c.long_description.empty() ? c.description : c.long_description);
  std::string s = "HKCR\n{\n";
  if (!c.prog_id.empty())
    s += "\t" + c.prog_id + " = s " + desc + "\n\t{\n\t\tCLSID = s '" + clsid + "'\n\t}\n";
  if (!c.version_independent_prog_id.empty()) {
    s += "\t" + c.version_independent_prog_id + " = s " + desc + "\n\t{\n\t\tCLSID = s '" + clsid + "'\n";
    if (!c.prog_id.empty()) s += "\t\tCurVer = s " + Quote(c.prog_id) + "\n";
    s += "\t}\n";
  }
  s += "\tNoRemove CLSID\n\t{\n\t\tForceRemove " + clsid + " = s " + long_desc + "\n\t\t{\n";
  if (!c.prog_id.empty()) s += "\t\t\tProgID = s " + Quote(c.prog_id) + "\n";
  if (!c.version_independent_prog_id.empty())
    s += "\t\t\tVersionIndependentProgID = s " + Quote(c.version_independent_prog_id) + "\n";
  s += "\t\t\tForceRemove 'Programmable'\n";
  s += "\t\t\tInprocServer32 = s '%MODULE%'\n\t\t\t{\n\t\t\t\tval ThreadingModel = s " +
       Quote(c.threading_model) + "\n\t\t\t}\n";
  if (c.is_control) {
    s += "\t\t\tForceRemove 'Control'\n\t\t\tForceRemove 'Insertable'\n";
    s += "\t\t\tForceRemove 'ToolboxBitmap32' = s '%MODULE%, " + std::to_string(c.toolbox_bitmap) + "'\n";
    s += "\t\t\t'MiscStatus' = s '0'\n\t\t\t{\n\t\t\t\t'1' = s " + Quote(c.misc_status) + "\n\t\t\t}\n";
  }
  if (!c.type_library.IsNull()) s += "\t\t\t'TypeLib' = s '" + c.type_library.ToString() + "'\n";
  if (!c.version.empty() && c.is_control) s += "\t\t\t'Version' = s " + Quote(c.version) + "\n";
  s += "\t\t}\n\t}\n}\n";
  return s;
}

std::string StandardTypeLibScript(const TypeLibInfo& t) {
  std::string s = "HKCR\n{\n\tNoRemove TypeLib\n\t{\n\t\tForceRemove " + t.libid.ToString() + "\n\t\t{\n";
  s += "\t\t\t" + Quote(t.version) + " = s " + Quote(t.help_string) + "\n\t\t\t{\n";
  s += "\t\t\t\t'0'\n\t\t\t\t{\n\t\t\t\t\t'linux' = s '%MODULE%'\n\t\t\t\t}\n";
  s += "\t\t\t\t'FLAGS' = s '0'\n\t\t\t\t'HELPDIR' = s '%MODULEDIR%'\n\t\t\t}\n\t\t}\n\t}\n}\n";
  return s;
}

}  // namespace hosting
