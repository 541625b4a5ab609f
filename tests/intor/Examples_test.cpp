// The bundled measurement documents load, save back to the same bytes, and are
// ready for the camera they were measured with.
#include <LxCameraUtils/LxCameraUtils.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(IntOrExamples, LoadSaveBackAndAreReadyForTheirCamera) {
  int seen = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(LX_EXAMPLES_DIR) / "cameras")) {
    const std::string name = entry.path().filename().string();
    const std::string suffix = ".meas.xini";
    if (!name.ends_with(suffix)) continue;
    SCOPED_TRACE(name);
    ++seen;
    const std::string text = ReadFile(entry.path());
    TLxXIniReader doc(text);
    const TLxXIniHandle section = doc.EnterSectionSE("int_or_meas");
    TLxIntOrMeas meas;
    meas.LoadE(&doc);
    doc.LeaveSectionE(section);

    TLxXIniWriter out;
    const TLxXIniHandle begun = out.BeginSectionSE("int_or_meas");
    meas.SaveE(&out);
    out.EndSection(begun);
    EXPECT_EQ(out.Text(), text);

    TLxXIniReader camera_doc = TLxXIniReader::FromFile(
        (entry.path().parent_path() / (name.substr(0, name.size() - suffix.size()) + ".xini"))
            .string());
    camera_doc.EnterSectionSE("camera");
    TLxCameraInfo camera;
    camera.LoadE(&camera_doc);
    std::string message = "untouched";
    EXPECT_TRUE(meas.IntOrReady(camera, &message)) << message;
    EXPECT_EQ(message, "untouched");
  }
  EXPECT_EQ(seen, 4) << "one per camera type that has marks";
}
