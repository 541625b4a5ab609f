#include <LxCameraUtils/Module.h>
#include <LxCloudDetector/LxCloudDetector.h>

#include <gtest/gtest.h>

#include "module/ModuleRecord.h"

using lxcu::internal::ModuleRecord;
using lxcu::internal::TModuleRecord;

// Every test leaves the module stopped, as it found it.

TEST(ModuleLifecycle, NestedStartUpsStartTheCompanionOnceAndAFullShutDownAllowsARestart) {
  const auto starts = LxCloudDetectorStartCount();
  Deinit_LxCameraUtils();  // without a start-up: nothing
  EXPECT_EQ(ModuleRecord().ref_count, 0u);
  Init_LxCameraUtils();
  Init_LxCameraUtils();
  EXPECT_EQ(ModuleRecord().ref_count, 2u);
  EXPECT_EQ(LxCloudDetectorStartCount(), starts + 1);
  Deinit_LxCameraUtils();
  EXPECT_TRUE(LxCloudDetectorIsStarted());
  Deinit_LxCameraUtils();
  EXPECT_FALSE(LxCloudDetectorIsStarted());
  EXPECT_EQ(ModuleRecord().ref_count, 0u);

  ModuleRecord().SetPath("stale");
  Init_LxCameraUtils();
  EXPECT_EQ(LxCloudDetectorStartCount(), starts + 2);
  // Read again: this program links the library statically, so the record
  // describes the executable.
  EXPECT_TRUE(ModuleRecord().handle == nullptr && ModuleRecord().file_name == "ModuleTests" &&
              ModuleRecord().ext == "");
  Deinit_LxCameraUtils();
  EXPECT_EQ(ModuleRecord().name, "LxCameraUtils");
}

TEST(ModuleRecordPath, SplitsAtTheLastSeparatorOfEitherKind) {
  const struct {
    const char *path, *dir, *file_name, *ext;
  } cases[] = {
      {"C:\\suite\\bin/LxCameraUtils.dll", "C:\\suite\\bin/", "LxCameraUtils.dll", "dll"},
      {"C:/a\\b\\x.so", "C:/a\\b\\", "x.so", "so"},
      {"LxCameraUtils.dll", "", "LxCameraUtils.dll", "dll"},
      {"/lib/noext", "/lib/", "noext", ""},
      {"/lib/trailing.", "/lib/", "trailing.", ""},
      {"/a.b/libx.so.1", "/a.b/", "libx.so.1", "1"},
      {"/dir/", "/dir/", "", ""},
      {"", "", "", ""},
      {"/K\xC3\xA4mera/\xCE\xA9.\xC3\xA9xt", "/K\xC3\xA4mera/", "\xCE\xA9.\xC3\xA9xt",
       "\xC3\xA9xt"},
  };
  for (const auto& c : cases) {
    TModuleRecord r;
    r.SetPath(c.path);
    EXPECT_EQ(r.path, c.path);
    EXPECT_EQ(r.dir, c.dir) << c.path;
    EXPECT_EQ(r.file_name, c.file_name) << c.path;
    EXPECT_EQ(r.ext, c.ext) << c.path;
  }
}
