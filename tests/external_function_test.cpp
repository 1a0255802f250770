// Binding library functions by name on first call, and the errors when that fails.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "external_function.h"
#include "morvane_imports.h"

namespace zarvex {
namespace {

// Wraps the system loader and counts how often each service is asked for.
class CountingLoader : public LibraryLoader {
 public:
  void* load(const std::string& library, std::string& reason) override {
    ++loads;
    return systemLibraryLoader().load(library, reason);
  }
  void* entry(void* handle, const std::string& name) override {
    ++lookups;
    return systemLibraryLoader().entry(handle, name);
  }
  int loads = 0;
  int lookups = 0;
};

TEST(ExternalFunction, MissingLibraryRaisesError48AndRetriesLater) {
  CountingLoader loader;
  ExternalFunction<std::int32_t(const std::uint8_t*)> f("NoSuchReaderLibrary", "getBSShort", loader);
  const std::uint8_t bytes[2] = {1, 2};
  for (int attempt = 1; attempt <= 2; ++attempt) {
    try {
      f(bytes);
      FAIL() << "a call into a missing library went ahead";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), 48);
      EXPECT_NE(e.description().find("NoSuchReaderLibrary"), std::string::npos) << e.description();
      EXPECT_NE(e.description().find("libNoSuchReaderLibrary.so"), std::string::npos);
    }
    EXPECT_FALSE(f.bound());
    EXPECT_EQ(loader.loads, attempt) << "the empty slot makes every call try again";
  }
}

TEST(ExternalFunction, MissingEntryRaisesError453NamingEntryAndLibrary) {
  ExternalFunction<int(void)> f("Morvane", "getNothingAtAll");
  try {
    f();
    FAIL() << "a call to a missing entry went ahead";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 453);
    EXPECT_NE(e.description().find("getNothingAtAll"), std::string::npos);
    EXPECT_NE(e.description().find("Morvane"), std::string::npos);
  }
  EXPECT_FALSE(f.bound());
}

TEST(ExternalFunction, BoundCallReusesItsSlot) {
  CountingLoader loader;
  ExternalFunction<std::int32_t(const std::uint8_t*)> f("Morvane", "getBSShort", loader);
  const std::uint8_t bytes[2] = {0x12, 0x34};
  EXPECT_FALSE(f.bound());
  EXPECT_EQ(f(bytes), 0x1234);
  EXPECT_TRUE(f.bound());
  EXPECT_EQ(f(bytes), 0x1234);
  EXPECT_EQ(f(bytes), 0x1234);
  EXPECT_EQ(loader.loads, 1);
  EXPECT_EQ(loader.lookups, 1);
}

TEST(ExternalFunction, LibraryIsLoadedOnceForAllEntries) {
  std::string reason;
  void* first = systemLibraryLoader().load("Morvane", reason);
  void* second = systemLibraryLoader().load("Morvane", reason);
  ASSERT_NE(first, nullptr) << reason;
  EXPECT_EQ(first, second);
}

TEST(ExternalFunction, ProgramDeclaresTheEightReadersItNeeds) {
  MorvaneImports imports;
  const std::uint8_t bytes[8] = {'A', 'B', 0, 0, 0x80, 0, 0, 0x41};
  EXPECT_EQ(imports.getShort(bytes), 0x4241);
  EXPECT_EQ(imports.getBSShort(bytes), 0x4142);
  EXPECT_EQ(imports.getLong(bytes), 0x4241);
  EXPECT_EQ(imports.getBSLong(bytes), 0x41420000);
  EXPECT_EQ(imports.getBSSingle(bytes + 4), 1.0f);
  EXPECT_NE(imports.getSingle(bytes + 4), 1.0f);
  BSTR s = imports.getNullString(bytes);
  EXPECT_EQ(std::string(s, SysStringByteLen(s)), "AB");
  SysFreeString(s);
  s = imports.getStringByteLen(bytes, 1);
  EXPECT_EQ(std::string(s, SysStringByteLen(s)), "A");
  SysFreeString(s);
}

}  // namespace
}  // namespace zarvex
