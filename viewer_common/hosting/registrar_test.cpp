#include "viewer_common/hosting/registrar.h"

#include <gtest/gtest.h>

namespace hosting {
namespace {

const char* kClsid = "{083E6230-76A6-4552-AF33-C94AF72F593D}";

ClassInfo ControlInfo() {
  ClassInfo c;
  c.clsid = Guid::FromString(kClsid);
  c.prog_id = "Morvik7Thumb.MorvikThumb.1";
  c.version_independent_prog_id = "Morvik7Thumb.MorvikThumb";
  c.description = "MorvikThumb Class";
  c.long_description = "Morvik7 Thumbnail ActiveX Control";
  c.type_library = Guid::FromString("{84AE83FE-CD23-4C9E-8E52-1F680BB3F3A2}");
  c.is_control = true;
  return c;
}

RegistrarScript Parse(const std::string& text) {
  RegistrarScript s;
  std::string error;
  EXPECT_EQ(ParseRegistrar(text, {{"MODULE", "/opt/lib/libthumb.so"}}, &s, &error), S_OK) << error;
  return s;
}

TEST(Registrar, StandardControlScriptWritesTheClassEntries) {
  RegistryTree tree;
  ApplyRegistrar(Parse(StandardClassScript(ControlInfo())), RegistrarMode::kRegister, &tree);
  const std::string root = kClassesRoot;
  const std::string key = root + "/CLSID/" + kClsid;
  EXPECT_EQ(tree.DefaultValue(root + "/Morvik7Thumb.MorvikThumb.1"), "MorvikThumb Class");
  EXPECT_EQ(tree.DefaultValue(root + "/Morvik7Thumb.MorvikThumb.1/CLSID"), kClsid);
  EXPECT_EQ(tree.DefaultValue(root + "/Morvik7Thumb.MorvikThumb/CurVer"), "Morvik7Thumb.MorvikThumb.1");
  EXPECT_EQ(tree.DefaultValue(key), "Morvik7 Thumbnail ActiveX Control");
  EXPECT_EQ(tree.DefaultValue(key + "/ProgID"), "Morvik7Thumb.MorvikThumb.1");
  EXPECT_EQ(tree.DefaultValue(key + "/VersionIndependentProgID"), "Morvik7Thumb.MorvikThumb");
  EXPECT_EQ(tree.DefaultValue(key + "/InprocServer32"), "/opt/lib/libthumb.so");
  EXPECT_EQ(tree.Find(key + "/InprocServer32")->values.at("ThreadingModel"), "Apartment");
  EXPECT_NE(tree.Find(key + "/Programmable"), nullptr);
  EXPECT_NE(tree.Find(key + "/Control"), nullptr);
  EXPECT_NE(tree.Find(key + "/Insertable"), nullptr);
  EXPECT_EQ(tree.DefaultValue(key + "/ToolboxBitmap32"), "/opt/lib/libthumb.so, 101");
  EXPECT_EQ(tree.DefaultValue(key + "/MiscStatus"), "0");
  EXPECT_EQ(tree.DefaultValue(key + "/MiscStatus/1"), "131473");
  EXPECT_EQ(tree.DefaultValue(key + "/TypeLib"), "{84AE83FE-CD23-4C9E-8E52-1F680BB3F3A2}");
  EXPECT_EQ(tree.DefaultValue(key + "/Version"), "1.0");
  // Key names compare without case, as registry keys do.
  EXPECT_EQ(tree.DefaultValue("hkey_classes_root/morvik7thumb.morvikthumb.1"), "MorvikThumb Class");
  EXPECT_EQ(ClsidFromProgId(tree, "Morvik7Thumb.MorvikThumb"), Guid::FromString(kClsid));
  EXPECT_EQ(InprocServerPath(tree, Guid::FromString(kClsid)), "/opt/lib/libthumb.so");
}

TEST(Registrar, UnregisterRemovesExactlyItsEntries) {
  RegistryTree tree;
  // Another server's entries under the shared CLSID key and a foreign value.
  tree.CreatePath(std::string(kClassesRoot) + "/CLSID/{11111111-2222-3333-4444-555555555555}").values[""] = "Other";
  tree.CreatePath(std::string(kClassesRoot) + "/Other.Prog").values[""] = "Other Class";
  const RegistryTree before = tree;
  const RegistrarScript script = Parse(StandardClassScript(ControlInfo()));
  ApplyRegistrar(script, RegistrarMode::kRegister, &tree);
  ApplyRegistrar(script, RegistrarMode::kUnregister, &tree);
  EXPECT_EQ(tree.DefaultValue(std::string(kClassesRoot) + "/CLSID/{11111111-2222-3333-4444-555555555555}"), "Other");
  EXPECT_EQ(tree.DefaultValue(std::string(kClassesRoot) + "/Other.Prog"), "Other Class");
  EXPECT_EQ(tree.Find(std::string(kClassesRoot) + "/Morvik7Thumb.MorvikThumb.1"), nullptr);
  EXPECT_EQ(tree.Find(std::string(kClassesRoot) + "/CLSID/" + kClsid), nullptr);
  EXPECT_EQ(tree.keys.size(), before.keys.size());
  EXPECT_EQ(tree.Find(kClassesRoot)->keys.size(), before.Find(kClassesRoot)->keys.size());
}

TEST(Registrar, ForceRemoveClearsStaleSubkeysOnRegister) {
  RegistryTree tree;
  const std::string key = std::string(kClassesRoot) + "/CLSID/" + kClsid;
  tree.CreatePath(key + "/Stale").values[""] = "left over";
  ApplyRegistrar(Parse(StandardClassScript(ControlInfo())), RegistrarMode::kRegister, &tree);
  EXPECT_EQ(tree.Find(key + "/Stale"), nullptr);
}

TEST(Registrar, KeyWithForeignValueSurvivesUnregister) {
  const std::string text = "HKCR\n{\n  Sample.Key = s 'mine'\n  {\n    val Name = s 'x'\n  }\n}\n";
  RegistryTree tree;
  const RegistrarScript script = Parse(text);
  ApplyRegistrar(script, RegistrarMode::kRegister, &tree);
  EXPECT_EQ(tree.Find(std::string(kClassesRoot) + "/Sample.Key")->values.at("Name"), "x");
  tree.CreatePath(std::string(kClassesRoot) + "/Sample.Key").values["Theirs"] = "y";
  ApplyRegistrar(script, RegistrarMode::kUnregister, &tree);
  const RegistryKey* k = tree.Find(std::string(kClassesRoot) + "/Sample.Key");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->values.size(), 1u);
  EXPECT_EQ(k->values.at("Theirs"), "y");
}

TEST(Registrar, MalformedScriptsAreRefused) {
  RegistrarScript s;
  std::string error;
  EXPECT_EQ(ParseRegistrar("HKCR { Foo = s 'unterminated }", {}, &s, &error), E_INVALIDARG);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ParseRegistrar("HKCR { Foo = s '%NOPE%' }", {}, &s, &error), E_INVALIDARG);
  EXPECT_EQ(ParseRegistrar("HKXX { }", {}, &s, &error), E_INVALIDARG);
  EXPECT_EQ(ParseRegistrar("HKCR { Foo { Bar }", {}, &s, &error), E_INVALIDARG);
  EXPECT_EQ(ParseRegistrar("HKCR { val Foo }", {}, &s, &error), E_INVALIDARG);
  EXPECT_EQ(ParseRegistrar("HKCR { Foo = s 'it''s 100%%' }", {}, &s, &error), S_OK) << error;
  ASSERT_EQ(s.roots.size(), 1u);
  EXPECT_EQ(s.roots[0].children.at(0).value, "it's 100%");
}

}  // namespace
}  // namespace hosting
