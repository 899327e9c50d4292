#include "platform/busy.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(BusyCursor, DoesNotNest) {
  SetBusyCursor(true);
  SetBusyCursor(true);
  EXPECT_TRUE(IsBusyCursor());
  EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
  SetBusyCursor(false);
  EXPECT_FALSE(IsBusyCursor());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  LetPendingEventsRun();
}

}  // namespace
}  // namespace platform
