#include <LxCameraUtils/CameraDocument.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxStd/EOL.h>
#include <LxStd/XIni.h>

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

#include "DocumentTree.h"
#include "camera/DistortionTerms.h"

namespace {

constexpr TCameraType kCameraTypes[] = {ctPrincipalPoint, ctCross, ctCalibratedCross, ctFiducials,
                                        ctDigital};
constexpr TDistortionType kDistortionTypes[] = {
    dtNone, dtDirected4Plus, dtFormula, dtRadial, dtDirected4X, dtDirected8, dtMixed, dtPolynomial};

// A camera with every field set, of the given types.
TLxCameraInfo FullCamera(TCameraType type, TDistortionType distortion = dtRadial) {
  TLxCameraInfo c = lxrel::Prefilled<TLxCameraInfo>();
  c.type = type, c.distortion.type = distortion;
  return c;
}

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
    for (const auto& t : lxcu::internal::kFormulaTerms)
      d.*t.field = 0.0;
  return d;
}

// Likewise for a camera; its description comes back with CRLF line ends.
TLxCameraInfo Stored(TLxCameraInfo c) {
  c.description = LxNormalizeEOL(c.description, eolCRLF);
  c.distortion = Stored(c.distortion);
  if (c.type != ctDigital)
    c.pixel_size = {}, c.sensor_dims = {}, c.digital_camera_origin = dcoCenter;
  if (c.type != ctCalibratedCross) c.length_x = c.length_y = 0.0;
  if (c.type != ctFiducials) c.fiducials.clear();
  if (c.type == ctPrincipalPoint || c.type == ctDigital) c.fiducial_template_id.clear();
  return c;
}

const TLxCameraInfo kBefore = lxrel::Prefilled<TLxCameraInfo>();

}  // namespace

TEST(CameraDocument, GivesBackWhatEachTypeStoresWithTheRestReset) {
  for (TCameraType type : kCameraTypes) {
    for (TDistortionType distortion : kDistortionTypes) {
      SCOPED_TRACE(testing::Message() << type << "/" << distortion);
      const TLxCameraInfo full = FullCamera(type, distortion);
      const std::string text = Saved(full);
      EXPECT_EQ(text.find('\r'), std::string::npos);
      TLxCameraInfo loaded = kBefore;
      TLxXIniReader reader(text);
      XIniLoadE(&reader, loaded);
      EXPECT_TRUE(Bits(loaded) == Bits(Stored(full)));  // also -0 and NaN left from before
      TLxXIniWriter writer;
      XIniSaveE(&writer, loaded);
      EXPECT_EQ(writer.Text(), text);
    }
  }
}

TEST(CameraDocument, FiducialsWithoutTemplateSetAreTheirOwnTemplates) {
  TLxCameraInfo camera = FullCamera(ctFiducials);
  camera.fiducial_template_id.clear();
  const std::string text = Saved(camera);
  EXPECT_THAT(text, Not(HasSubstr("template")));
  LoadInto(text, camera);
  EXPECT_EQ(camera.fiducials.at(0).template_index, 1);
  EXPECT_EQ(camera.fiducials.at(1).template_index, 2);

  camera.fiducials.clear();
  TLxCameraInfo loaded = kBefore;
  LoadInto(Saved(camera), loaded);
  EXPECT_TRUE(loaded.fiducials.empty());
}

TEST(CameraDocument, StrictReaderNeedsEveryEntryButTheTypeDependentOptionalOnes) {
  std::set<std::string> optional = {
      "int_or/pixel_size",           "int_or/sensor_dims",  "int_or/digital_camera_origin",
      "int_or/fiducial_template_id", "int_or/fiducials/[]", "int_or/fiducials/[]/template_index",
  };
  for (const char* key : {"direction", "k4", "k5", "p3", "p4", "b1", "b2", "a1", "a2", "table_r/[]",
                          "table_+/[]", "table_x/[]"})
    optional.insert(std::string("distortion/") + key);
  for (std::size_t i = 0; i < std::size(kDistortionTypes); ++i) {
    const TLxCameraInfo camera =
        FullCamera(kCameraTypes[i % std::size(kCameraTypes)], kDistortionTypes[i]);
    SCOPED_TRACE(testing::Message() << camera.type << "/" << camera.distortion.type);
    ExpectEveryEntryRequiredBut<TLxCameraInfo>(Saved(camera), optional);
  }
}

TEST(CameraDocument, OptionalDigitalEntriesTakeTheirDefaults) {
  const std::string full = Saved(FullCamera(ctDigital));
  TLxCameraInfo camera;
  LoadInto(WithoutEntry(WithoutEntry(full, "int_or/pixel_size"), "int_or/sensor_dims"), camera);
  EXPECT_EQ(camera.pixel_size, (vec_t_<double, 2>{1.0, 1.0}));
  EXPECT_EQ(camera.sensor_dims, (vec_t_<std::uint64_t, 2>{0, 0}));
  for (const std::string& text : {WithoutEntry(full, "int_or/digital_camera_origin"),
                                  Replaced(full, "\"UpperLeft\"", "\"\"")}) {
    camera.digital_camera_origin = dcoUpperLeft;
    LoadInto(text, camera);
    EXPECT_EQ(camera.digital_camera_origin, dcoCenter);
  }
}

TEST(CameraDocument, UnknownTypeOrOriginIsAnInvalidValueOfItsKey) {
  const std::string digital = Saved(FullCamera(ctDigital));
  const std::map<std::string, std::string> cases = {
      {Replaced(digital, "\"UpperLeft\"", "\"upperleft\""), "key \"digital_camera_origin\""},
      {Replaced(digital, "\"Digital\"", "\"Sideways\""), "key \"type\" in section /int_or"},
      {Replaced(digital, "\"Radial\"", "\"radial\""), "key \"type\" in section /distortion"},
  };
  for (const auto& [text, key] : cases) {
    TLxCameraInfo camera = kBefore;
    const auto load = [&camera, &doc = text] { LoadInto(doc, camera); };
    EXPECT_THAT(load,
                ThrowsMessage<TLxXIniError>(AllOf(HasSubstr("invalid value"), HasSubstr(key))));
    EXPECT_TRUE(Bits(camera) == Bits(kBefore));
  }
}

TEST(CameraDocument, LenientReaderDefaultsTheCameraLevelOnly) {
  TLxCameraInfo camera = FullCamera(ctFiducials);
  TLxXIniReader partial("name = \"Partial\"\nprincipal_point { x = 0.25 }\n");
  EXPECT_TRUE(camera.Load(&partial));
  TLxCameraInfo expected;
  expected.type = ctDigital;
  expected.name = "Partial";
  expected.principal_point.x = 0.25;
  EXPECT_TRUE(Bits(camera) == Bits(expected));

  // Inside "int_or" the strict rules hold; what was read before stays.
  TLxXIniReader untyped(WithoutEntry(Saved(FullCamera(ctCalibratedCross)), "int_or/type"));
  EXPECT_THROW(camera.Load(&untyped), TLxXIniError);
  EXPECT_EQ(camera.name, FullCamera(ctCalibratedCross).name);
}

TEST(CameraDocument, SavingAnInvalidEnumRaisesAfterTheEntriesBeforeIt) {
  const struct {
    void (*spoil)(TLxCameraInfo&);
    const char* message;
    const char* last_written;
  } cases[] = {
      {[](TLxCameraInfo& c) { c.type = TCameraType{0}; },
       "@SaveMarks: invalid camera type\n@EnumToTextE(): Invalid enum value: 0.", "int_or {\n"},
      {[](TLxCameraInfo& c) { c.digital_camera_origin = TDigitalCameraOrigin{7}; },
       "@SaveMarks: invalid DigitalCameraOrigin\n@EnumToTextE(): Invalid enum value: 7.",
       "sensor_dims { x = 7680, y = 13824 }\n"},
      {[](TLxCameraInfo& c) { c.distortion.type = TDistortionType{0}; },
       "@TLxCameraDistortion::Save: invalid DistortionType\n@EnumToTextE(): Invalid enum value: 0.",
       "distortion {\n"},
      {[](TLxCameraInfo& c) { c.distortion.direction = TLxCameraDistortion::TDirection{2}; },
       "@TLxCameraDistortion::Save: invalid Direction\n@EnumToTextE(): Invalid enum value: 2.",
       "type = \"Radial\"\n"},
  };
  const std::string valid = Saved(FullCamera(ctDigital));
  for (const auto& c : cases) {
    TLxCameraInfo camera = FullCamera(ctDigital);
    c.spoil(camera);
    TLxXIniWriter writer;
    EXPECT_THAT([&] { camera.SaveE(&writer); }, ThrowsMessage<std::runtime_error>(c.message));
    EXPECT_TRUE(valid.starts_with(writer.Text()));
    EXPECT_THAT(writer.Text(), testing::EndsWith(c.last_written));
  }
}
