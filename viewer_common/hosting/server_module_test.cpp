#include "viewer_common/hosting/server_module.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <cstdlib>

#include "viewer_common/hosting/testing/sample_control.h"

namespace hosting {
namespace {

using DllUnregisterServerFn = HRESULT (*)();

class ServerModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    old_ = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit().constData(), 1);
    lib_.setFileName(QStringLiteral(SAMPLE_CONTROL_PATH));
    ASSERT_TRUE(lib_.load()) << lib_.errorString().toStdString();
    reg_ = reinterpret_cast<DllRegisterServerFn>(lib_.resolve(kDllRegisterServer));
    unreg_ = reinterpret_cast<DllUnregisterServerFn>(lib_.resolve(kDllUnregisterServer));
    get_ = reinterpret_cast<DllGetClassObjectFn>(lib_.resolve(kDllGetClassObject));
    can_unload_ = reinterpret_cast<DllCanUnloadNowFn>(lib_.resolve(kDllCanUnloadNow));
    ASSERT_TRUE(reg_ && unreg_ && get_ && can_unload_);
  }
  void TearDown() override {
    if (old_.empty()) unsetenv("XDG_CONFIG_HOME"); else setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
  }
  RegistryTree Registry() {
    RegistryTree t;
    EXPECT_EQ(LoadRegistry(RegistryPath(), &t), S_OK);
    return t;
  }

  QTemporaryDir dir_;
  std::string old_;
  QLibrary lib_;
  DllRegisterServerFn reg_ = nullptr;
  DllUnregisterServerFn unreg_ = nullptr;
  DllGetClassObjectFn get_ = nullptr;
  DllCanUnloadNowFn can_unload_ = nullptr;
};

TEST_F(ServerModuleTest, RegisterUnregisterRoundTrip) {
  EXPECT_EQ(RegistryPath(), (dir_.path() + "/OsmundTools/registry.json").toStdString());
  // Someone else's entry must survive both steps.
  RegistryTree other;
  other.CreatePath(std::string(kClassesRoot) + "/Other.Thing").values[""] = "Other";
  ASSERT_EQ(SaveRegistry(RegistryPath(), other), S_OK);

  ASSERT_EQ(reg_(), S_OK);
  RegistryTree t = Registry();
  EXPECT_EQ(ClsidFromProgId(t, "OsmundSample.SampleControl"), sample::kClsid);
  EXPECT_EQ(ClsidFromProgId(t, "OsmundSample.SamplePage.1"), sample::kPageClsid);
  auto path = InprocServerPath(t, sample::kClsid);
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(QFileInfo(QString::fromStdString(*path)).canonicalFilePath(),
            QFileInfo(QStringLiteral(SAMPLE_CONTROL_PATH)).canonicalFilePath());
  EXPECT_EQ(t.DefaultValue(std::string(kClassesRoot) + "/TypeLib/" + sample::kLibId.ToString() + "/1.0"),
            "Osmund Sample Control Library");
  EXPECT_EQ(reg_(), S_OK);  // registering twice is harmless

  ASSERT_EQ(unreg_(), S_OK);
  t = Registry();
  EXPECT_FALSE(ClsidFromProgId(t, "OsmundSample.SampleControl").has_value());
  // The shared CLSID and TypeLib keys are kept (NoRemove), our entries in them go.
  EXPECT_EQ(t.Find(std::string(kClassesRoot) + "/CLSID/" + sample::kClsid.ToString()), nullptr);
  EXPECT_EQ(t.Find(std::string(kClassesRoot) + "/CLSID/" + sample::kPageClsid.ToString()), nullptr);
  EXPECT_EQ(t.Find(std::string(kClassesRoot) + "/TypeLib/" + sample::kLibId.ToString()), nullptr);
  EXPECT_EQ(t.Find(std::string(kClassesRoot) + "/OsmundSample.SamplePage"), nullptr);
  EXPECT_EQ(t.DefaultValue(std::string(kClassesRoot) + "/Other.Thing"), "Other");
  EXPECT_FALSE(QFile::exists(dir_.path() + "/OsmundTools/registry.json.lock"));
}

TEST_F(ServerModuleTest, DamagedRegistryFileIsNotOverwritten) {
  QDir().mkpath(dir_.path() + "/OsmundTools");
  QFile f(dir_.path() + "/OsmundTools/registry.json");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("{ not json");
  f.close();
  EXPECT_EQ(reg_(), SELFREG_E_CLASS);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("{ not json"));
}

TEST_F(ServerModuleTest, ClassFactoryCreatesAndCountsObjects) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(get_(&sample::kClsid, &IClassFactory::kIid, factory.PutVoid()), S_OK);
  ASSERT_TRUE(factory);
  EXPECT_EQ(can_unload_(), S_FALSE);
  ComPtr<IDispatch> disp;
  ASSERT_EQ(factory->CreateInstance(nullptr, IDispatch::kIid, disp.PutVoid()), S_OK);
  Variant v;
  EXPECT_EQ(disp->Invoke(kDispIdBackColor, InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr), S_OK);
  EXPECT_EQ(v.AsColor(), 0xFFFFFFu);
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(nullptr, Guid::FromString("{12345678-1234-1234-1234-123456789ABC}"), &p),
            E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  factory.Reset();
  EXPECT_EQ(can_unload_(), S_FALSE);  // the object still lives
  disp.Reset();
  EXPECT_EQ(can_unload_(), S_OK);

  // LockServer keeps the module in use without objects.
  ASSERT_EQ(get_(&sample::kClsid, &IClassFactory::kIid, factory.PutVoid()), S_OK);
  IClassFactory* raw = factory.Detach();
  raw->LockServer(true);
  raw->Release();
  EXPECT_EQ(can_unload_(), S_FALSE);
  ASSERT_EQ(get_(&sample::kClsid, &IClassFactory::kIid, factory.PutVoid()), S_OK);
  factory->LockServer(false);
  factory.Reset();
  EXPECT_EQ(can_unload_(), S_OK);

  const Guid unknown = Guid::FromString("{12345678-1234-1234-1234-123456789ABC}");
  EXPECT_EQ(get_(&unknown, &IClassFactory::kIid, &p), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(get_(&sample::kClsid, &IClassFactory::kIid, nullptr), E_POINTER);
}

TEST_F(ServerModuleTest, PropertyPageClassIsCreatable) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(get_(&sample::kPageClsid, &IClassFactory::kIid, factory.PutVoid()), S_OK);
  ComPtr<IPropertyPage> page;
  EXPECT_EQ(factory->CreateInstance(nullptr, IPropertyPage::kIid, page.PutVoid()), S_OK);
  EXPECT_TRUE(page);
}

}  // namespace
}  // namespace hosting
