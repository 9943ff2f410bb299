#include <gtest/gtest.h>

#include "platform/date_time.h"
#include "platform/io_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#endif

namespace lantervo::platform {
namespace {

TEST(IoError, TextsComeFromOneTableOrNameTheNumber) {
  EXPECT_EQ(IoErrorText(2), "File not found");
  EXPECT_EQ(IoErrorText(3), "Path not found");
  EXPECT_EQ(IoErrorText(4), "Too many open files");
  EXPECT_EQ(IoErrorText(5), "File access denied");
  EXPECT_EQ(IoErrorText(101), "Disk full");
  EXPECT_EQ(IoErrorText(103), "File not open");
  EXPECT_EQ(IoErrorText(105), "File not open for output");
  EXPECT_EQ(IoErrorText(32), "I/O error 32");
  EXPECT_EQ(IoErrorText(0), "I/O error 0");
}

TEST(IoError, NativeErrorsMapToTheRuntimeNumbers) {
#ifdef _WIN32
  EXPECT_EQ(NativeIoErrorText(ERROR_FILE_NOT_FOUND), "File not found");
  EXPECT_EQ(NativeIoErrorText(ERROR_PATH_NOT_FOUND), "Path not found");
  EXPECT_EQ(NativeIoErrorText(ERROR_ACCESS_DENIED), "File access denied");
  EXPECT_EQ(NativeIoErrorText(ERROR_DISK_FULL), "Disk full");
  EXPECT_EQ(NativeIoErrorText(ERROR_HANDLE_DISK_FULL), "Disk full");
  EXPECT_EQ(NativeIoErrorText(ERROR_SHARING_VIOLATION), "I/O error 32");
  EXPECT_EQ(NativeIoErrorText(ERROR_LOCK_VIOLATION), "I/O error 33");
#else
  EXPECT_EQ(NativeIoErrorText(ENOENT), "File not found");
  EXPECT_EQ(NativeIoErrorText(ENOTDIR), "Path not found");
  EXPECT_EQ(NativeIoErrorText(EMFILE), "Too many open files");
  EXPECT_EQ(NativeIoErrorText(EACCES), "File access denied");
  EXPECT_EQ(NativeIoErrorText(EROFS), "File access denied");
  EXPECT_EQ(NativeIoErrorText(ENOSPC), "Disk full");
  EXPECT_EQ(NativeIoErrorText(EWOULDBLOCK),
            "I/O error 32");  // what Windows calls a sharing violation
  // errno numbers that mean something else among the runtime's numbers are not passed through.
  EXPECT_EQ(NativeIoErrorText(EIO), "I/O error 31");
  EXPECT_EQ(NativeIoErrorText(EOVERFLOW), "I/O error " + std::to_string(EOVERFLOW));
#endif
}

const LocalDateTime kAfternoon{2024, 1, 2, 15, 4, 5, 678};

TEST(DateTime, RegionalFormatsOfNamedLocales) {
#ifdef _WIN32
  EXPECT_EQ(FormatShortDate(kAfternoon, "en_US"), "1/2/2024");
  EXPECT_EQ(FormatLongTime(kAfternoon, "en_US"), "3:04:05 PM");
  EXPECT_EQ(FormatDateTime(kAfternoon, "en_GB"), "02/01/2024 15:04:05");
#else
  EXPECT_EQ(FormatShortDate(kAfternoon, "en_US"), "1/2/24");
  EXPECT_EQ(FormatLongTime(kAfternoon, "en_US"), "3:04:05 PM");  // a plain blank before PM
  EXPECT_EQ(FormatDateTime(kAfternoon, "cs_CZ"), "02.01.24 15:04:05");
#endif
}

TEST(DateTime, TheFirstSecondAfterMidnightShowsTheDateOnly) {
  for (const char* locale : {"", "en_US", "de_DE"}) {
    LocalDateTime t{2024, 12, 31, 0, 0, 0, 999};
    const std::string date = FormatShortDate(t, locale);
    EXPECT_EQ(FormatDateTime(t, locale), date) << locale;
    for (int which = 0; which < 3; ++which) {
      LocalDateTime u = t;
      (which == 0 ? u.second : which == 1 ? u.minute : u.hour) = 1;
      EXPECT_EQ(FormatDateTime(u, locale), date + " " + FormatLongTime(u, locale)) << locale;
    }
  }
}

TEST(DateTime, LocalNowIsAPlausibleDate) {
  const LocalDateTime now = LocalNow();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.hour >= 0 && now.hour <= 23 && now.minute >= 0 && now.minute <= 59);
  EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999);
}

}  // namespace
}  // namespace lantervo::platform
