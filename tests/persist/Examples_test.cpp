#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/MarkTemplates.h>
#include <LxStd/XIni.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Documents(const char* folder) {
  std::vector<fs::path> paths;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(fs::path(LX_EXAMPLES_DIR) / folder))
    if (entry.path().extension() == ".xini") paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::string Bytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Loads the record from the top-level `section` of `text` and saves it back
// into a section of that name; the two documents must be the same bytes.
template <typename Record>
Record ExpectSavedBackUnchanged(const std::string& text, const char* section) {
  Record record;
  TLxXIniReader reader(text);
  const TLxXIniHandle in = reader.EnterSectionSE(section);
  record.LoadE(&reader);
  reader.LeaveSectionE(in);
  TLxXIniWriter writer;
  const TLxXIniHandle out = writer.BeginSectionSE(section);
  record.SaveE(&writer);
  writer.EndSection(out);
  EXPECT_EQ(writer.Text(), text);
  return record;
}

}  // namespace

TEST(ExampleDocuments, CamerasSaveBackToTheSameBytesAndCoverEveryType) {
  std::set<int> camera_types;
  std::set<int> distortion_types;
  for (const fs::path& path : Documents("cameras")) {
    const std::string text = Bytes(path);
    // Other documents (measurements of these cameras) may lie beside them.
    if (TLxXIniReader(text).FindF("camera") == kXIniAbsent) continue;
    SCOPED_TRACE(path.string());
    const TLxCameraInfo camera = ExpectSavedBackUnchanged<TLxCameraInfo>(text, "camera");
    camera_types.insert(camera.type);
    distortion_types.insert(camera.distortion.type);
  }
  EXPECT_EQ(camera_types, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(distortion_types, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(ExampleDocuments, TemplateSetsSaveBackToTheSameBytes) {
  const std::vector<fs::path> paths = Documents("templates");
  EXPECT_FALSE(paths.empty());
  for (const fs::path& path : paths) {
    SCOPED_TRACE(path.string());
    const TCameraMarkTemplates set =
        ExpectSavedBackUnchanged<TCameraMarkTemplates>(Bytes(path), "mark_templates");
    EXPECT_FALSE(set.mark_templates.empty());
  }
}
