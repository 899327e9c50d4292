#include "viewer_common/hosting/variant.h"

#include <gtest/gtest.h>

namespace hosting {
namespace {

TEST(Variant, FlagsAreMinusOneAndZero) {
  EXPECT_EQ(Variant::Bool(true).AsI2(), -1);
  EXPECT_EQ(Variant::Bool(false).AsI2(), 0);
  EXPECT_TRUE(Variant::I4(7).AsBool());
  EXPECT_FALSE(Variant::I2(0).AsBool());
  Variant v;
  ASSERT_EQ(Variant::I2(5).ChangeType(VarType::kBool, &v), S_OK);
  EXPECT_EQ(v, Variant::Bool(true));
}

TEST(Variant, NumericConversionsCheckRange) {
  Variant v;
  EXPECT_EQ(Variant::I4(40000).ChangeType(VarType::kI2, &v), DISP_E_OVERFLOW);
  EXPECT_EQ(Variant::I4(-32768).ChangeType(VarType::kI2, &v), S_OK);
  EXPECT_EQ(v.AsI2(), -32768);
  EXPECT_EQ(Variant::R8(2.6).ChangeType(VarType::kI4, &v), S_OK);
  EXPECT_EQ(v.AsI4(), 3);
  // A system colour arrives as a negative long from some hosts.
  EXPECT_EQ(Variant::I4(static_cast<int32_t>(0x80000005u)).AsColor(), 0x80000005u);
}

TEST(Variant, StringsParseAndFormat) {
  Variant v;
  ASSERT_EQ(Variant::Bstr(u" 42 ").ChangeType(VarType::kI2, &v), S_OK);
  EXPECT_EQ(v.AsI2(), 42);
  ASSERT_EQ(Variant::Bstr(u"0x00FF00").ChangeType(VarType::kColor, &v), S_OK);
  EXPECT_EQ(v.AsColor(), 0x00FF00u);
  EXPECT_EQ(Variant::Bstr(u"True").AsI2(), -1);
  EXPECT_EQ(Variant::Bstr(u"abc").ChangeType(VarType::kI4, &v), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Variant::I2(-3).AsString(), u"-3");
  EXPECT_EQ(Variant::Color(0xFF).ToDisplayString(), "0x000000FF");
}

TEST(Variant, FontsConvertOnlyToFontOrText) {
  FontDesc f{u"Arial", 9, 400, 0, false, true, false};
  Variant font = Variant::Font(f);
  Variant v;
  EXPECT_EQ(font.ChangeType(VarType::kI4, &v), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Variant::I4(1).ChangeType(VarType::kFont, &v), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(font.AsString(), u"Arial");
  EXPECT_EQ(font.AsFont(), f);
  EXPECT_EQ(font, Variant::Font(f));
  EXPECT_FALSE(font == Variant::Font(FontDesc{}));
}

TEST(Variant, EmptyGivesZeroValues) {
  Variant empty;
  Variant v;
  EXPECT_EQ(empty.ChangeType(VarType::kI2, &v), S_OK);
  EXPECT_EQ(v, Variant::I2(0));
  EXPECT_EQ(empty.ChangeType(VarType::kBstr, &v), S_OK);
  EXPECT_EQ(v, Variant::Bstr(u""));
  EXPECT_EQ(empty.ChangeType(VarType::kI2, nullptr), E_POINTER);
}

}  // namespace
}  // namespace hosting
