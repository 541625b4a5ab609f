#include <LxCameraUtils/DefaultCameras.h>
#include <LxStd/EOL.h>
#include <LxStd/ResString.h>

#include <gtest/gtest.h>

#include <string>

#include "module/ModuleRecord.h"

namespace {

std::string Text(const std::string& key) {
  return ModuleRecord().UserText(key);
}

// Takes one text out of the resource store while it lives.
struct TRemovedText {
  std::string key, saved = Text(key);
  bool had = LxRemoveResString("LxCameraUtils", key);
  ~TRemovedText() {
    if (had) LxSetResString("LxCameraUtils", key, saved);
  }
};

// A reset digital camera with the given preset values and its texts joined.
TLxCameraInfo Preset(const char* name_key, const char* dsc_key, double focus_mm, double pixel_mm,
                     std::uint64_t x_px, std::uint64_t y_px) {
  TLxCameraInfo c;
  c.type = ctDigital;
  c.name = Text(name_key);
  c.description = LxNormalizeEOL(Text(dsc_key) + Text("global.CamDscAutoCreated"), eolCRLF);
  c.focus = focus_mm;
  c.pixel_size = {pixel_mm, pixel_mm};
  c.sensor_dims = {x_px, y_px};
  return c;
}

}  // namespace

TEST(DefaultCameras, PlainDefaultIsAResetDigitalCamera) {
  TLxCameraInfo expected;
  EXPECT_TRUE(CreateDefaultCamera() != expected);
  expected.type = ctDigital;
  EXPECT_TRUE(CreateDefaultCamera() == expected);
}

TEST(DefaultCameras, PresetsHaveTheirSensorsAndJoinedCrlfDescriptions) {
  const TLxCameraInfo dmc = CreateDefaultDMCCamera();
  EXPECT_TRUE(dmc == Preset("global.CamNameDMC", "global.CamDscDMC", 120.0, 0.012, 7680, 13824));
  EXPECT_FALSE(dmc.name.empty());
  EXPECT_NE(dmc.description.find("\r\n"), std::string::npos);
  EXPECT_TRUE(CreateDefaultVideoCamera() ==
              Preset("global.CamNameVideo", "global.CamDscVideo", 22.0, 0.023, 1080, 1920));
}

TEST(DefaultCameras, PresetsUseWhateverTextsTheStoreHas) {
  const std::string auto_created = Text("global.CamDscAutoCreated");
  {
    const TRemovedText no_description{"global.CamDscDMC"};
    ASSERT_TRUE(no_description.had);
    EXPECT_EQ(CreateDefaultDMCCamera().description, LxNormalizeEOL(auto_created, eolCRLF));
  }
  {
    const TRemovedText no_name{"global.CamNameVideo"};
    const TRemovedText no_note{"global.CamDscAutoCreated"};
    const TLxCameraInfo video = CreateDefaultVideoCamera();
    EXPECT_EQ(video.name, "");
    EXPECT_EQ(video.description, LxNormalizeEOL(Text("global.CamDscVideo"), eolCRLF));
  }
  EXPECT_EQ(Text("global.CamDscAutoCreated"), auto_created);
  EXPECT_FALSE(Text("global.CamDscDMC").empty());
}
