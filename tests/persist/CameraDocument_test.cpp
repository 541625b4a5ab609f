#include <LxCameraUtils/CameraDocument.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "DocumentTree.h"
#include "Samples.h"

using testing::HasSubstr;

namespace {

// What a document keeps of `d`: the fields of its type, the rest reset.
TLxCameraDistortion Stored(TLxCameraDistortion d) {
  if (d.type == dtNone) return {};
  const bool plus = d.type == dtDirected4Plus || d.type == dtDirected8;
  const bool x = d.type == dtDirected4X || d.type == dtDirected8;
  if (d.type != dtRadial) d.table_r.clear();
  if (!plus) d.table_plus.clear();
  if (!x) d.table_x.clear();
  if (d.type != dtMixed) d.mixed_coeffs = {};
  if (d.type != dtPolynomial) d.polynomial_coeffs = {};
  if (d.type != dtFormula)
    for (double* f : {&d.k1, &d.k2, &d.k3, &d.k4, &d.k5, &d.p1, &d.p2, &d.p3, &d.p4, &d.b1, &d.b2,
                      &d.a1, &d.a2})
      *f = 0.0;
  return d;
}

// Likewise for a FullCamera; its description comes back with CRLF line ends.
TLxCameraInfo Stored(TLxCameraInfo c) {
  c.description = "Calibrated in spring.\r\nSecond line\r\nthird line\r\nend";
  c.distortion = Stored(c.distortion);
  if (c.type != ctDigital) {
    c.pixel_size = {};
    c.sensor_dims = {};
    c.digital_camera_origin = dcoCenter;
  }
  if (c.type != ctCalibratedCross) c.length_x = c.length_y = 0.0;
  if (c.type != ctFiducials) c.fiducials.clear();
  if (c.type == ctPrincipalPoint || c.type == ctDigital) c.fiducial_template_id.clear();
  return c;
}

TLxCameraInfo Other() {
  TLxCameraInfo other = FullCamera(ctDigital, dtPolynomial);
  other.name = "before";
  return other;
}

const auto kSame = [](const TLxCameraInfo& a, const TLxCameraInfo& b) { return a == b; };

}  // namespace

TEST(CameraDocument, GivesBackWhatEachTypeStoresWithTheRestReset) {
  for (TCameraType type : kCameraTypes) {
    for (TDistortionType distortion : kDistortionTypes) {
      SCOPED_TRACE(testing::Message() << type << "/" << distortion);
      const TLxCameraInfo full = FullCamera(type, distortion);
      const std::string text = Saved(full);
      EXPECT_EQ(text.find('\r'), std::string::npos);
      TLxCameraInfo loaded = Other();
      TLxXIniReader reader(text);
      XIniLoadE(&reader, loaded);
      EXPECT_TRUE(loaded == Stored(full));
      TLxXIniWriter writer;
      XIniSaveE(&writer, loaded);
      EXPECT_EQ(writer.Text(), text);
    }
  }
}

TEST(CameraDocument, WritesTheKeysOfEachTypeInOrder) {
  const std::map<TCameraType, std::string> int_or = {
      {ctPrincipalPoint, "type"},
      {ctCross, "type fiducial_template_id"},
      {ctCalibratedCross, "type length_x length_y fiducial_template_id"},
      {ctFiducials, "type fiducials fiducial_template_id"},
      {ctDigital, "type pixel_size sensor_dims digital_camera_origin"},
  };
  for (const auto& [type, keys] : int_or) {
    const std::string text = Saved(FullCamera(type));
    EXPECT_EQ(KeysIn(text, ""),
              "name calibration_date description focus principal_point int_or distortion");
    EXPECT_EQ(KeysIn(text, "principal_point"), "x y");
    EXPECT_EQ(KeysIn(text, "int_or"), keys);
  }
  const std::string text = Saved(FullCamera(ctFiducials));
  EXPECT_EQ(KeysIn(text, "int_or/fiducials/[1]"), "index coords_cam template_index");
  EXPECT_THAT(text, HasSubstr("{ index = 1, coords_cam { x = -106.002, y = -105.997 }, "
                              "template_index = 11 }\n"));
}

TEST(CameraDocument, FiducialsWithoutTemplateSetAreTheirOwnTemplates) {
  TLxCameraInfo camera = FullCamera(ctFiducials);
  camera.fiducial_template_id.clear();
  const std::string text = Saved(camera);
  EXPECT_EQ(KeysIn(text, "int_or"), "type fiducials");
  EXPECT_EQ(KeysIn(text, "int_or/fiducials/[0]"), "index coords_cam");
  LoadInto(text, camera);
  EXPECT_EQ(camera.fiducials.at(0).template_index, 1);
  EXPECT_EQ(camera.fiducials.at(1).template_index, 2);

  camera.fiducials.clear();
  LoadInto(Saved(camera), camera);
  EXPECT_TRUE(camera.fiducials.empty());
}

TEST(CameraDocument, StrictReaderNeedsEveryEntryButTheTypeDependentOptionalOnes) {
  const std::set<std::string> optional = {
      "int_or/pixel_size",           "int_or/sensor_dims",  "int_or/digital_camera_origin",
      "int_or/fiducial_template_id", "int_or/fiducials/[]", "int_or/fiducials/[]/template_index",
  };
  for (TCameraType type : kCameraTypes) {
    SCOPED_TRACE(type);
    ExpectEveryEntryRequiredBut(Saved(FullCamera(type, dtNone)), optional, Other(), kSame);
  }
}

TEST(CameraDocument, OptionalDigitalEntriesTakeTheirDefaults) {
  const std::string full = Saved(FullCamera(ctDigital));
  TLxCameraInfo camera;
  LoadInto(WithoutEntry(WithoutEntry(full, "int_or/pixel_size"), "int_or/sensor_dims"), camera);
  EXPECT_EQ(camera.pixel_size, (vec_t_<double, 2>{1.0, 1.0}));
  EXPECT_EQ(camera.sensor_dims, (vec_t_<std::uint64_t, 2>{0, 0}));
  LoadInto(WithoutEntry(full, "int_or/digital_camera_origin"), camera);
  EXPECT_EQ(camera.digital_camera_origin, dcoCenter);
  LoadInto(Replaced(full, "\"UpperLeft\"", "\"\""), camera);
  EXPECT_EQ(camera.digital_camera_origin, dcoCenter);
}

TEST(CameraDocument, UnknownTypeOrOriginIsAnInvalidValueOfItsKey) {
  const std::string digital = Saved(FullCamera(ctDigital));
  const std::map<std::string, std::string> cases = {
      {Replaced(digital, "\"UpperLeft\"", "\"upperleft\""), "key \"digital_camera_origin\""},
      {Replaced(digital, "\"Digital\"", "\"Sideways\""), "key \"type\" in section /int_or"},
      {Replaced(digital, "\"Radial\"", "\"radial\""), "key \"type\" in section /distortion"},
  };
  for (const auto& [text, key] : cases) {
    TLxCameraInfo camera = Other();
    const std::string error = ErrorOf([&, &doc = text] { LoadInto(doc, camera); });
    EXPECT_THAT(error, HasSubstr("invalid value"));
    EXPECT_THAT(error, HasSubstr(key));
    EXPECT_TRUE(camera == Other());
  }
}

TEST(CameraDocument, LenientReaderDefaultsTheCameraLevelOnly) {
  TLxCameraInfo camera = FullCamera(ctFiducials);
  TLxXIniReader empty("");
  EXPECT_TRUE(camera.Load(&empty));
  TLxCameraInfo expected;
  expected.type = ctDigital;
  EXPECT_TRUE(camera == expected);

  TLxXIniReader partial("name = \"Partial\"\nprincipal_point { x = 0.25 }\n");
  EXPECT_TRUE(camera.Load(&partial));
  expected.name = "Partial";
  expected.principal_point.x = 0.25;
  EXPECT_TRUE(camera == expected);

  const std::string full = Saved(FullCamera(ctCalibratedCross));
  TLxXIniReader stored(full);
  EXPECT_TRUE(camera.Load(&stored));
  EXPECT_TRUE(camera == Stored(FullCamera(ctCalibratedCross)));

  // Inside "int_or" the strict rules hold; what was read before stays.
  TLxXIniReader untyped(WithoutEntry(full, "int_or/type"));
  EXPECT_THROW(camera.Load(&untyped), TLxXIniError);
  EXPECT_EQ(camera.name, FullCamera(ctCalibratedCross).name);
}

TEST(CameraDocument, FailedSaveLeavesWhatWasWritten) {
  TLxCameraInfo camera = FullCamera(ctPrincipalPoint);
  const std::string valid = Saved(camera);
  camera.type = TCameraType{0};
  TLxXIniWriter writer;
  EXPECT_EQ(ErrorOf([&] { camera.SaveE(&writer); }),
            "@SaveMarks: invalid camera type\n@EnumToTextE(): Invalid enum value: 0.");
  EXPECT_EQ(writer.Text(), valid.substr(0, valid.find("int_or {\n") + 9));

  camera = FullCamera(ctDigital);
  camera.digital_camera_origin = TDigitalCameraOrigin{7};
  TLxXIniWriter digital;
  EXPECT_EQ(ErrorOf([&] { camera.SaveE(&digital); }),
            "@SaveMarks: invalid DigitalCameraOrigin\n@EnumToTextE(): Invalid enum value: 7.");
  EXPECT_THAT(digital.Text(), testing::EndsWith("sensor_dims { x = 7680, y = 13824 }\n"));

  ExpectSaveStopsAtEachFailure(FullCamera(ctFiducials, dtDirected8));
}
