#include "platform/registry.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Registry, SettingsBackedValueSurvivesANewInstance) {
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
  EXPECT_EQ(CurrentRegistry().Read("OsmundTools", "Path", "ruvel", "none"), QString("none"));
  EXPECT_TRUE(CurrentRegistry().Write("OsmundTools", "Path", "ruvel", "/opt/ruvel/ruvel"));
  EXPECT_EQ(CurrentRegistry().Read("OsmundTools", "Path", "ruvel", ""),
            QString("/opt/ruvel/ruvel"));
  QFile ini(config.path() + "/OsmundTools.ini");
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  const QByteArray text = ini.readAll();
  EXPECT_TRUE(text.contains("[Path]")) << text.constData();
  EXPECT_TRUE(text.contains("ruvel=/opt/ruvel/ruvel")) << text.constData();
}

TEST(Registry, MemoryRegistryCountsWrites) {
  MemoryRegistry memory;
  SetRegistry(&memory);
  EXPECT_EQ(CurrentRegistry().Read("A", "S", "k", "d"), QString("d"));
  EXPECT_TRUE(CurrentRegistry().Write("A", "S", "k", "v"));
  EXPECT_EQ(CurrentRegistry().Read("A", "S", "k", "d"), QString("v"));
  EXPECT_EQ(CurrentRegistry().Read("A", "T", "k", "d"), QString("d"));
  EXPECT_EQ(memory.writes(), 1);
  SetRegistry(nullptr);
}

}  // namespace
}  // namespace platform
