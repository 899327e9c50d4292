#include "viewer_common/hosting/guid.h"

#include <gtest/gtest.h>

namespace hosting {
namespace {

TEST(Guid, ParseAndFormatRoundTrip) {
  auto g = Guid::Parse("{84ae83fe-cd23-4c9e-8e52-1f680bb3f3a2}");
  ASSERT_TRUE(g.has_value());
  EXPECT_EQ(g->data1, 0x84AE83FEu);
  EXPECT_EQ(g->data2, 0xCD23);
  EXPECT_EQ(g->data3, 0x4C9E);
  EXPECT_EQ(g->data4[0], 0x8E);
  EXPECT_EQ(g->data4[7], 0xA2);
  EXPECT_EQ(g->ToString(), "{84AE83FE-CD23-4C9E-8E52-1F680BB3F3A2}");
  EXPECT_EQ(Guid::Parse(g->ToString()), g);
}

TEST(Guid, RejectsMalformedText) {
  EXPECT_FALSE(Guid::Parse(""));
  EXPECT_FALSE(Guid::Parse("84AE83FE-CD23-4C9E-8E52-1F680BB3F3A2"));    // no braces
  EXPECT_FALSE(Guid::Parse("{84AE83FE-CD23-4C9E-8E52-1F680BB3F3A}"));   // short
  EXPECT_FALSE(Guid::Parse("{84AE83FE-CD23-4C9E-8E52-1F680BB3F3AZ}"));  // not hex
  EXPECT_FALSE(Guid::Parse("{84AE83FE_CD23-4C9E-8E52-1F680BB3F3A2}"));  // wrong dash
  EXPECT_TRUE(Guid::FromString("garbage").IsNull());
}

TEST(Guid, OrderingAndConstexpr) {
  constexpr Guid a = Guid::FromString("{00000000-0000-0000-C000-000000000046}");
  static_assert(a.data4[0] == 0xC0 && a.data4[7] == 0x46);
  Guid b = a;
  b.data4[7] = 0x47;
  EXPECT_LT(a, b);
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace hosting
