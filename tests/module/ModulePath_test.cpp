// A host that loads libLxCameraUtils.so finds that file's path in the record.

#include <LxCameraUtils/Module.h>
#include <LxCloudDetector/LxCloudDetector.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "module/ModuleRecord.h"

using lxcu::internal::ModuleRecord;
using lxcu::internal::TModuleRecord;

namespace fs = std::filesystem;

namespace {

// A copy of the shared library in a folder whose name is not ASCII.
class ModulePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("lx-\xC3\x9F\xCE\xA9-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    copy_ = dir_ / "libLxCameraUtils.so";
    fs::copy_file(LX_SHARED_LIBRARY_FILE, copy_, fs::copy_options::overwrite_existing);
    handle_ = dlopen(copy_.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle_ != nullptr) dlclose(handle_);
    fs::remove_all(dir_);
  }

  fs::path dir_, copy_;
  void* handle_ = nullptr;
};

}  // namespace

TEST_F(ModulePathTest, StartUpNotesTheLoadedSharedLibrary) {
  Init_LxCameraUtils();
  const TModuleRecord& r = ModuleRecord();
  EXPECT_NE(r.handle, nullptr);
  EXPECT_EQ(r.path, fs::canonical(copy_).string());
  EXPECT_EQ(r.dir, fs::canonical(dir_).string() + "/");
  EXPECT_TRUE(r.file_name == "libLxCameraUtils.so" && r.ext == "so");
  Deinit_LxCameraUtils();
  // The next full start-up looks for "LxCameraUtils.so" and finds the same file.
  Init_LxCameraUtils();
  EXPECT_EQ(ModuleRecord().file_name, "libLxCameraUtils.so");
  Deinit_LxCameraUtils();
}

TEST_F(ModulePathTest, TheSharedLibraryStartsAndStopsTheCompanion) {
  const auto init = reinterpret_cast<void (*)()>(dlsym(handle_, "Init_LxCameraUtils"));
  const auto deinit = reinterpret_cast<void (*)()>(dlsym(handle_, "Deinit_LxCameraUtils"));
  ASSERT_TRUE(init && deinit);
  EXPECT_EQ(dlsym(handle_, "_ZN4lxcu8internal12ModuleRecordEv"), nullptr)
      << "internals must stay hidden";
  const auto starts = LxCloudDetectorStartCount();
  init();
  init();
  deinit();
  EXPECT_TRUE(LxCloudDetectorIsStarted());
  deinit();
  EXPECT_FALSE(LxCloudDetectorIsStarted());
  EXPECT_EQ(LxCloudDetectorStartCount(), starts + 1);
}
