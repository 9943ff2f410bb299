#include "core/config_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/error.h"
#include "platform/paths.h"
#include "platform/reg_file.h"
#include "tests/support/memory_registry.h"

namespace lantervo {
namespace {

using platform::QueryStatus;
using platform::RegistryAccess;
using platform::RegistryType;
using test::MemoryRegistry;

const std::string kKey = kConfigKeyPath;

// A key holding a complete, valid set that differs from the defaults everywhere.
void PutValidSet(MemoryRegistry& reg) {
  reg.PutString(kKey, "Version", "1.2.3");
  reg.PutDWord(kKey, "CheckUpdate", 0);
  reg.PutString(kKey, "VerifyURL", "http://verify.example/");
  reg.PutDWord(kKey, "VerifyEnabled", 1);
  reg.PutDWord(kKey, "LogEnabled", 0);
  reg.PutString(kKey, "LogFile", "C:\\logs\\x.log");
  reg.PutString(kKey, "CheckInterval", "60");
  reg.PutString(kKey, "BalloonLevel", "2");
  reg.PutDWord(kKey, "HotkeyEnabled", 1);
  reg.PutString(kKey, "Language", "cs");
}

// A record whose every field differs from both the valid set and the defaults.
void FillOld(ConfigStore& config) {
  config.Set(&AppConfig::Version, "old");
  config.Set(&AppConfig::CheckUpdate, true);
  config.Set(&AppConfig::VerifyURL, "old-url");
  config.Set(&AppConfig::VerifyEnabled, false);
  config.Set(&AppConfig::CheckInterval, -7);
  config.Set(&AppConfig::LogFile, "old.log");
  config.Set(&AppConfig::LogEnabled, true);
  config.Set(&AppConfig::BalloonLevel, -7);
  config.Set(&AppConfig::HotkeyEnabled, false);
  config.Set(&AppConfig::Language, "old");
}

std::string LoadError(MemoryRegistry& reg, ConfigStore& config) {
  try {
    LoadConfig(reg, config);
  } catch (const Error& e) {
    return e.what();
  }
  return {};
}

// The configuration table: each list names each value at most once and without gaps, so no
// value is read, written or shown twice or skipped by a misnumbered entry.
TEST(ConfigTable, EveryListIsAGaplessOrderOfDistinctValues) {
  const auto& values = ConfigValues();
  ASSERT_EQ(values.size(), 17u);
  for (std::size_t i = 0; i < values.size(); ++i)
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_STRNE(values[i].name, values[j].name);
      EXPECT_NE(values[i].field, values[j].field) << values[i].name << " and " << values[j].name;
    }
  for (int ConfigValue::*order : {&ConfigValue::defaultOrder, &ConfigValue::dialogOrder}) {
    const auto listed = ConfigValuesBy(order);
    for (std::size_t i = 0; i < listed.size(); ++i)
      EXPECT_EQ(listed[i]->*order, static_cast<int>(i + 1)) << listed[i]->name;
  }
  // The default set is the ten values; the opt-ins stay out of it.
  EXPECT_EQ(ConfigValuesBy(&ConfigValue::defaultOrder).size(), 10u);
  for (const ConfigValue& value : values) {
    const bool optIn = value.type == ConfigType::Switch || value.type == ConfigType::Choice ||
                       value.type == ConfigType::Note;
    EXPECT_EQ(optIn, value.defaultOrder == 0) << value.name;
    EXPECT_EQ(value.type == ConfigType::Choice, value.highest > 0) << value.name;
    // A text default needs its text or a maker; a number default is a number.
    const bool numeric = value.type == ConfigType::Bool || value.type == ConfigType::Switch;
    if (value.defaultOrder != 0 && !numeric) {
      EXPECT_TRUE(value.defaultText || value.makeDefault) << value.name;
    }
  }
}

TEST(LoadConfig, ReadsACompleteSetThroughOneReadOpen) {
  MemoryRegistry reg;
  PutValidSet(reg);
  ConfigStore config;
  LoadConfig(reg, config);
  const AppConfig c = config.Snapshot();
  EXPECT_EQ(c.Version, "1.2.3");
  EXPECT_FALSE(c.CheckUpdate);
  EXPECT_EQ(c.VerifyURL, "http://verify.example/");
  EXPECT_TRUE(c.VerifyEnabled);
  EXPECT_EQ(c.CheckInterval, 60);
  EXPECT_EQ(c.LogFile, "C:\\logs\\x.log");
  EXPECT_FALSE(c.LogEnabled);
  EXPECT_EQ(c.BalloonLevel, 2);
  EXPECT_TRUE(c.HotkeyEnabled);
  EXPECT_EQ(c.Language, "cs");
  EXPECT_EQ(reg.Opens(), std::vector<RegistryAccess>{RegistryAccess::Read});
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(LoadConfig, FirstRunFailsAtCheckUpdateAfterLoadingAnEmptyVersion) {
  MemoryRegistry reg;
  ConfigStore config;
  FillOld(config);
  EXPECT_EQ(LoadError(reg, config), "Value 'CheckUpdate' does not exist");
  const AppConfig c = config.Snapshot();
  EXPECT_EQ(c.Version, "");
  EXPECT_TRUE(c.CheckUpdate);
  EXPECT_EQ(c.VerifyURL, "old-url");
  EXPECT_EQ(c.Language, "old");
  EXPECT_EQ(reg.OpenKeys(), 0);
  EXPECT_TRUE(reg.HasKey(kKey));  // the open created the key
}

TEST(LoadConfig, FailedOpenReadsLikeAKeyWithoutValues) {
  MemoryRegistry reg;
  PutValidSet(reg);
  reg.FailOpen(true);
  ConfigStore config;
  FillOld(config);
  EXPECT_EQ(LoadError(reg, config), "Value 'CheckUpdate' does not exist");
  EXPECT_EQ(config.Snapshot().Version, "");
}

TEST(LoadConfig, StopsAtTheFailingValueKeepingEarlierNewAndLaterOldFields) {
  MemoryRegistry reg;
  PutValidSet(reg);
  reg.Remove(kKey, "HotkeyEnabled");
  ConfigStore config;
  FillOld(config);
  EXPECT_EQ(LoadError(reg, config), "Value 'HotkeyEnabled' does not exist");
  const AppConfig c = config.Snapshot();
  EXPECT_EQ(c.Version, "1.2.3");
  EXPECT_EQ(c.CheckInterval, 60);
  EXPECT_EQ(c.BalloonLevel, 2);
  EXPECT_FALSE(c.HotkeyEnabled);  // old value
  EXPECT_EQ(c.Language, "old");
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(LoadConfig, FollowsTheReadOrderNotTheFieldOrder) {
  // LogEnabled is read before CheckInterval although the record holds them the other way round.
  MemoryRegistry reg;
  PutValidSet(reg);
  reg.PutString(kKey, "LogEnabled", "1");
  ConfigStore config;
  FillOld(config);
  EXPECT_EQ(LoadError(reg, config), "Invalid data type for 'LogEnabled'");
  EXPECT_TRUE(config.Snapshot().VerifyEnabled);
  EXPECT_EQ(config.Snapshot().CheckInterval, -7);
  EXPECT_EQ(config.Snapshot().LogFile, "old.log");
}

TEST(LoadConfig, BooleansMustBeDwords) {
  MemoryRegistry reg;
  PutValidSet(reg);
  ConfigStore config;
  reg.PutString(kKey, "CheckUpdate", "1");
  EXPECT_EQ(LoadError(reg, config), "Invalid data type for 'CheckUpdate'");
  reg.PutRaw(kKey, "CheckUpdate", platform::kRegBinary, std::string("\1\0\0\0", 4));
  EXPECT_EQ(LoadError(reg, config), "Invalid data type for 'CheckUpdate'");
  reg.PutDWord(kKey, "CheckUpdate", 0xFFFF0000u);  // any non-zero is true
  EXPECT_EQ(LoadError(reg, config), "");
  EXPECT_TRUE(config.Snapshot().CheckUpdate);
}

TEST(LoadConfig, TextRules) {
  MemoryRegistry reg;
  PutValidSet(reg);
  for (const char* name : {"Version", "VerifyURL", "LogFile", "Language"}) reg.Remove(kKey, name);
  ConfigStore config;
  FillOld(config);
  ASSERT_EQ(LoadError(reg, config), "");
  EXPECT_EQ(config.Snapshot().Version, "");
  EXPECT_EQ(config.Snapshot().VerifyURL, "");
  EXPECT_EQ(config.Snapshot().LogFile, "");
  EXPECT_EQ(config.Snapshot().Language, "");

  // An expandable value is taken as stored; text ends at its first NUL.
  reg.PutExpandString(kKey, "LogFile", "%TEMP%\\LTV.log");
  reg.PutRaw(kKey, "Language", platform::kRegSz,
             platform::EncodeRegString("cs") + platform::EncodeRegString("junk"));
  ASSERT_EQ(LoadError(reg, config), "");
  EXPECT_EQ(config.Snapshot().LogFile, "%TEMP%\\LTV.log");
  EXPECT_EQ(config.Snapshot().Language, "cs");

  reg.PutDWord(kKey, "VerifyURL", 1);
  EXPECT_EQ(LoadError(reg, config), "Invalid data type for 'VerifyURL'");
}

TEST(LoadConfig, IntegerRules) {
  MemoryRegistry reg;
  PutValidSet(reg);
  ConfigStore config;
  reg.PutString(kKey, "CheckInterval", " 60");
  ASSERT_EQ(LoadError(reg, config), "");
  EXPECT_EQ(config.Snapshot().CheckInterval, 60);
  reg.PutString(kKey, "CheckInterval", "$3C");
  ASSERT_EQ(LoadError(reg, config), "");
  EXPECT_EQ(config.Snapshot().CheckInterval, 60);
  reg.PutString(kKey, "CheckInterval", "0");  // no range check
  reg.PutString(kKey, "BalloonLevel", "7");
  ASSERT_EQ(LoadError(reg, config), "");
  EXPECT_EQ(config.Snapshot().CheckInterval, 0);
  EXPECT_EQ(config.Snapshot().BalloonLevel, 7);

  reg.PutString(kKey, "CheckInterval", "60 ");
  EXPECT_EQ(LoadError(reg, config), "'60 ' is not a valid integer value");
  reg.PutString(kKey, "CheckInterval", "");
  EXPECT_EQ(LoadError(reg, config), "'' is not a valid integer value");
  reg.Remove(kKey, "CheckInterval");
  EXPECT_EQ(LoadError(reg, config), "'' is not a valid integer value");
  reg.PutDWord(kKey, "CheckInterval", 60);  // numbers are text, not DWORDs
  EXPECT_EQ(LoadError(reg, config), "Invalid data type for 'CheckInterval'");
}

const std::vector<std::string> kDefaultOrder = {
    "Version", "CheckUpdate", "VerifyURL",    "VerifyEnabled", "CheckInterval",
    "LogFile", "LogEnabled",  "BalloonLevel", "HotkeyEnabled", "Language"};

TEST(WriteDefaultConfig, WritesTheTenDefaultsInOrderWithTheirTypes) {
  MemoryRegistry reg;
  const std::string folder = std::string("base") + platform::PathSeparator() + "app";
  ASSERT_TRUE(WriteDefaultConfig(reg, folder));
  EXPECT_EQ(reg.WriteAttempts(), kDefaultOrder);
  EXPECT_EQ(reg.Opens(), std::vector<RegistryAccess>{RegistryAccess::Write});
  EXPECT_EQ(reg.OpenKeys(), 0);
  auto text = [&](const char* name) {
    auto r = reg.Get(kKey, name);
    EXPECT_EQ(r.value.type, RegistryType::String) << name;
    return r.value.text;
  };
  auto dword = [&](const char* name) {
    auto r = reg.Get(kKey, name);
    EXPECT_EQ(r.value.type, RegistryType::DWord) << name;
    return r.value.dword;
  };
  EXPECT_EQ(text("Version"), "0.9.19");
  EXPECT_EQ(dword("CheckUpdate"), 1u);
  EXPECT_EQ(text("VerifyURL"), "http://");
  EXPECT_EQ(dword("VerifyEnabled"), 0u);
  EXPECT_EQ(text("CheckInterval"), "300");
  EXPECT_EQ(text("LogFile"), folder + platform::PathSeparator() + "LTV.log");
  EXPECT_EQ(dword("LogEnabled"), 1u);
  EXPECT_EQ(text("BalloonLevel"), "3");
  EXPECT_EQ(dword("HotkeyEnabled"), 0u);
  EXPECT_EQ(text("Language"), "en");

  ConfigStore config;
  LoadConfig(reg, config);
  EXPECT_EQ(config.Snapshot().CheckInterval, 300);
  EXPECT_EQ(config.Snapshot().BalloonLevel, 3);
  EXPECT_TRUE(config.Snapshot().LogEnabled);
}

TEST(LoadConfig, HttpsEnabledIsAnOptInThatNeverFailsTheLoad) {
  MemoryRegistry reg;
  PutValidSet(reg);
  ConfigStore config;
  config.Set(&AppConfig::HttpsEnabled, true);
  LoadConfig(reg, config);  // missing: off, and no failure
  EXPECT_FALSE(config.Snapshot().HttpsEnabled);
  reg.PutDWord(kKey, "HttpsEnabled", 1);
  LoadConfig(reg, config);
  EXPECT_TRUE(config.Snapshot().HttpsEnabled);
  reg.PutDWord(kKey, "HttpsEnabled", 0);
  LoadConfig(reg, config);
  EXPECT_FALSE(config.Snapshot().HttpsEnabled);
  // A value of another type reads as off instead of failing: the recovery's default set would
  // not replace it, so every later start would fail the same way.
  reg.PutString(kKey, "HttpsEnabled", "1");
  config.Set(&AppConfig::HttpsEnabled, true);
  EXPECT_EQ(LoadError(reg, config), "");
  EXPECT_FALSE(config.Snapshot().HttpsEnabled);
}

// Every opt-in reads as its default whenever it is unusable, and a choice out of its range
// reads as 0 rather than as its nearest value: 7 retries is not a typo for 3.
TEST(LoadConfig, TheAlertOptInsReadOnlyUsableValuesAndNeverFail) {
  MemoryRegistry reg;
  PutValidSet(reg);
  ConfigStore config;
  LoadConfig(reg, config);
  EXPECT_EQ(config.Snapshot().RetryCount, 0);
  EXPECT_FALSE(config.Snapshot().NotifyOnChange);
  reg.PutDWord(kKey, "RetryCount", 3);
  reg.PutDWord(kKey, "NotifyOnChange", 1);
  LoadConfig(reg, config);
  EXPECT_EQ(config.Snapshot().RetryCount, 3);
  EXPECT_TRUE(config.Snapshot().NotifyOnChange);
  for (const std::uint32_t stored : {4u, 0xFFFFFFFFu}) {
    reg.PutDWord(kKey, "RetryCount", stored);
    EXPECT_EQ(LoadError(reg, config), "");
    EXPECT_EQ(config.Snapshot().RetryCount, 0) << stored;
  }
  reg.PutString(kKey, "RetryCount", "2");
  reg.PutString(kKey, "NotifyOnChange", "1");
  EXPECT_EQ(LoadError(reg, config), "");
  EXPECT_EQ(config.Snapshot().RetryCount, 0);
  EXPECT_FALSE(config.Snapshot().NotifyOnChange);
  // The default set never writes them.
  MemoryRegistry fresh;
  ASSERT_TRUE(WriteDefaultConfig(fresh, "app"));
  EXPECT_EQ(fresh.Get(kKey, "RetryCount").status, QueryStatus::Missing);
  EXPECT_EQ(fresh.Get(kKey, "NotifyOnChange").status, QueryStatus::Missing);
}

// The metrics port is a number up to 65535 and the address a text; neither may fail a load.
TEST(LoadConfig, TheMetricsOptInsReadOnlyUsableValuesAndNeverFail) {
  MemoryRegistry reg;
  PutValidSet(reg);
  ConfigStore config;
  LoadConfig(reg, config);
  EXPECT_EQ(config.Snapshot().MetricsPort, 0);
  EXPECT_EQ(config.Snapshot().MetricsAddress, "");
  reg.PutDWord(kKey, "MetricsPort", 65535);
  reg.PutString(kKey, "MetricsAddress", "::1");
  LoadConfig(reg, config);
  EXPECT_EQ(config.Snapshot().MetricsPort, 65535);
  EXPECT_EQ(config.Snapshot().MetricsAddress, "::1");
  reg.PutDWord(kKey, "MetricsPort", 65536);
  reg.PutDWord(kKey, "MetricsAddress", 1);
  EXPECT_EQ(LoadError(reg, config), "");
  EXPECT_EQ(config.Snapshot().MetricsPort, 0);
  EXPECT_EQ(config.Snapshot().MetricsAddress, "");
  MemoryRegistry fresh;
  ASSERT_TRUE(WriteDefaultConfig(fresh, "app"));
  EXPECT_EQ(fresh.Get(kKey, "MetricsPort").status, QueryStatus::Missing);
  EXPECT_EQ(fresh.Get(kKey, "MetricsAddress").status, QueryStatus::Missing);
  EXPECT_EQ(fresh.Get(kKey, "ProxyEnabled").status, QueryStatus::Missing);
}

TEST(WriteDefaultConfig, LeavesHttpsEnabledAsItWasSoTheFirstRunReadsItAsOff) {
  MemoryRegistry reg;
  ASSERT_TRUE(WriteDefaultConfig(reg, "app"));
  EXPECT_EQ(reg.Get(kKey, "HttpsEnabled").status, QueryStatus::Missing);
  ConfigStore config;
  LoadConfig(reg, config);
  EXPECT_FALSE(config.Snapshot().HttpsEnabled);
  // A switched-on value outlives a recovery that rewrites the ten.
  reg.PutDWord(kKey, "HttpsEnabled", 1);
  reg.PutString(kKey, "CheckInterval", "bad");
  ASSERT_TRUE(WriteDefaultConfig(reg, "app"));
  LoadConfig(reg, config);
  EXPECT_TRUE(config.Snapshot().HttpsEnabled);
}

TEST(WriteDefaultConfig, ReplacesEveryValueOfABrokenSet) {
  // First-run recovery: one missing value rewrites even the values that were readable.
  MemoryRegistry reg;
  PutValidSet(reg);
  reg.Remove(kKey, "HotkeyEnabled");
  ConfigStore config;
  EXPECT_NE(LoadError(reg, config), "");
  ASSERT_TRUE(WriteDefaultConfig(reg, "dir"));
  LoadConfig(reg, config);
  EXPECT_EQ(config.Snapshot().Language, "en");
  EXPECT_EQ(config.Snapshot().CheckInterval, 300);
  EXPECT_FALSE(config.Snapshot().HotkeyEnabled);
}

TEST(WriteDefaultConfig, StopsAtTheFirstFailedWriteAndClosesTheKey) {
  MemoryRegistry reg;
  reg.FailWritesAfter(4);
  EXPECT_FALSE(WriteDefaultConfig(reg, "dir"));
  EXPECT_EQ(reg.WriteAttempts(),
            std::vector<std::string>(kDefaultOrder.begin(), kDefaultOrder.begin() + 5));
  EXPECT_EQ(reg.Get(kKey, "VerifyEnabled").status, QueryStatus::Found);
  EXPECT_EQ(reg.Get(kKey, "CheckInterval").status, QueryStatus::Missing);
  EXPECT_EQ(reg.Get(kKey, "Language").status, QueryStatus::Missing);
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(WriteDefaultConfig, FailedOpenWritesNothing) {
  MemoryRegistry reg;
  reg.FailOpen(true);
  EXPECT_FALSE(WriteDefaultConfig(reg, "dir"));
  EXPECT_TRUE(reg.WriteAttempts().empty());
}

TEST(ConfigStore, ReadersSeeOldOrNewFieldsNeverTornOnesWhileReloading) {
  MemoryRegistry a;
  PutValidSet(a);
  MemoryRegistry b;
  PutValidSet(b);
  const std::string urlA(300, 'a');
  const std::string urlB(300, 'b');
  a.PutString(kKey, "VerifyURL", urlA);
  b.PutString(kKey, "VerifyURL", urlB);
  a.PutString(kKey, "BalloonLevel", "$7FFFFFFF");
  b.PutString(kKey, "BalloonLevel", "$80000000");
  ConfigStore config;
  LoadConfig(a, config);

  std::atomic<bool> done{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!done) {
      const AppConfig c = config.Snapshot();
      if (c.VerifyURL != urlA && c.VerifyURL != urlB) ++bad;
      if (c.BalloonLevel != INT32_MAX && c.BalloonLevel != INT32_MIN) ++bad;
    }
  });
  for (int i = 0; i < 200; ++i) LoadConfig(i % 2 ? a : b, config);
  done = true;
  reader.join();
  EXPECT_EQ(bad, 0);
}

}  // namespace
}  // namespace lantervo
