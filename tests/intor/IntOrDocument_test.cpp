#include <LxCameraUtils/IntOrMeas.h>
#include <LxStd/XIni.h>

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

namespace {

std::string Saved(const TLxIntOrMeas& m) {
  TLxXIniWriter w;
  m.SaveE(&w);
  return w.Text();
}

TLxIntOrMeas Loaded(const std::string& text, TLxIntOrMeas into = {}) {
  TLxXIniReader r(text);
  into.LoadE(&r);
  return into;
}

// Field by field, doubles by their bits, so that a record compares equal to
// itself whatever it holds.
void ExpectIdentical(const TLxIntOrMeas& a, const TLxIntOrMeas& b) {
  const auto bits = [](const vec_t_<double, 2>& v) {
    return std::vector<std::uint64_t>{std::bit_cast<std::uint64_t>(v.x),
                                      std::bit_cast<std::uint64_t>(v.y)};
  };
  EXPECT_EQ(a.camera_type, b.camera_type);
  ASSERT_EQ(a.points.size(), b.points.size());
  for (std::size_t i = 0; i < a.points.size(); ++i) {
    EXPECT_EQ(a.points[i].index, b.points[i].index) << i;
    EXPECT_EQ(bits(a.points[i].coords_pix), bits(b.points[i].coords_pix)) << i;
    EXPECT_EQ(bits(a.points[i].residuals_pix), bits(b.points[i].residuals_pix)) << i;
  }
  EXPECT_EQ(bits(a.scan_resolution), bits(b.scan_resolution));
  EXPECT_EQ(a.resolution_units, b.resolution_units);
  EXPECT_EQ(a.rotation, b.rotation);
  EXPECT_EQ(a.transform_type, b.transform_type);
}

TLxIntOrMeas Measured(TCameraType type, std::vector<std::int32_t> indices) {
  TLxIntOrMeas m;
  m.camera_type = type;
  for (std::int32_t i : indices)
    m.points.push_back({i, {100.25 * i, -0.1 * i}, {0.01 * i, -0.02}});
  m.scan_resolution = {0.0125, 0.015};
  m.resolution_units = ruDpi;
  m.rotation = cr180;
  m.transform_type = ttProjective;
  return m;
}

// What a record of `m`'s type keeps through a document.
TLxIntOrMeas Stored(TLxIntOrMeas m) {
  const TCameraType t = m.camera_type;
  if (t < ctPrincipalPoint || t > ctFiducials) m.points.clear();
  if (t != ctFiducials)
    for (auto& p : m.points)
      p.residuals_pix = {};
  if (t != ctPrincipalPoint && t != ctCross) {
    m.scan_resolution = {};
    m.resolution_units = ruMm;
  }
  if (t != ctFiducials) m.transform_type = ttAffine;
  return m;
}

}  // namespace

TEST(IntOrDocument, EveryCameraTypeRoundTripsWhatItStores) {
  for (const TCameraType type :
       {TCameraType{0}, ctPrincipalPoint, ctCross, ctCalibratedCross, ctFiducials, ctDigital}) {
    SCOPED_TRACE(type);
    const TLxIntOrMeas m = Measured(type, {2, 1});
    const std::string text = Saved(m);
    TLxIntOrMeas expected = Stored(m);
    if (!expected.points.empty()) std::swap(expected.points[0], expected.points[1]);
    ExpectIdentical(Loaded(text, Measured(ctCross, {7})), expected);
    EXPECT_EQ(Saved(Loaded(text)), text);
  }
}

TEST(IntOrDocument, WritesPointsByIndexKeepingTheOrderOfEqualIndices) {
  TLxIntOrMeas m = Measured(ctFiducials, {3, 1, 2, 1, -5});
  m.points[1].coords_pix.x = 11.0;  // the earlier index 1
  m.points[3].coords_pix.x = 12.0;  // the later one
  const TLxIntOrMeas back = Loaded(Saved(m));
  std::vector<std::int32_t> order;
  for (const auto& p : back.points)
    order.push_back(p.index);
  EXPECT_EQ(order, (std::vector<std::int32_t>{-5, 1, 1, 2, 3}));
  EXPECT_EQ(back.points[1].coords_pix.x, 11.0);
  EXPECT_EQ(back.points[2].coords_pix.x, 12.0);
  EXPECT_EQ(m.points[0].index, 3);  // the record itself is not reordered
}

TEST(IntOrDocument, WritesTheEntriesOfEachTypeInOrder) {
  const auto keys = [](const TLxIntOrMeas& m) {
    TLxXIniReader r(Saved(m));
    std::string names;
    for (std::uint64_t pos = 0; r.HasEntry(pos); ++pos)
      names += std::string(r.NameAt(pos)) + " ";
    return names;
  };
  EXPECT_EQ(keys(Measured(ctPrincipalPoint, {1})),
            "camera_type points rotation scan_resolution resolution_units ");
  EXPECT_EQ(keys(Measured(ctCalibratedCross, {})), "camera_type points rotation ");
  EXPECT_EQ(keys(Measured(ctFiducials, {1})), "camera_type points rotation transform_type ");
  EXPECT_EQ(keys(Measured(ctDigital, {1})), "camera_type rotation ");
  EXPECT_EQ(keys(TLxIntOrMeas()), "rotation ");
  EXPECT_NE(Saved(TLxIntOrMeas()).find("rotation = \"\""), std::string::npos);
}

TEST(IntOrDocument, LoadsOptionalEntriesWithTheirDefaults) {
  // A resolution counts only with its units; a transform type is taken for any
  // camera type; unknown entries are ignored.
  const TLxIntOrMeas cross = Loaded(
      "camera_type = \"Cross\"\n"
      "scan_resolution { x = 5, y = 6 }\n"
      "transform_type = \"Similarity\"\n"
      "unknown_entry = 1\n");
  EXPECT_EQ(cross.scan_resolution, (vec_t_<double, 2>{0.0, 0.0}));
  EXPECT_EQ(cross.resolution_units, ruMm);
  EXPECT_EQ(cross.transform_type, ttSimilarity);
  EXPECT_EQ(cross.rotation, crInvalid);
  EXPECT_TRUE(cross.points.empty());

  const TLxIntOrMeas fid = Loaded(
      "camera_type = \"Fiducials\"\n"
      "points {\n  { index = 4, coords_pix { x = 1, y = 2 }, residuals_pix { x = 0.5 } }\n"
      "  { index = 5, coords_pix { x = 3, y = 4 } }\n}\n");
  ASSERT_EQ(fid.points.size(), 2u);
  EXPECT_EQ(fid.points[0].residuals_pix, (vec_t_<double, 2>{0.5, 0.0}));
  EXPECT_EQ(fid.points[1].residuals_pix, (vec_t_<double, 2>{0.0, 0.0}));
  EXPECT_EQ(fid.transform_type, ttAffine);
}

TEST(IntOrDocument, FailedLoadsNameTheEntryAndLeaveTheRecordAsItWas) {
  const struct {
    const char* text;
    const char* names;  // what the message must name
  } bad[] = {
      {"camera_type = \"Cross\"\nrotation = \"45\"\n", "\"rotation\""},
      {"camera_type = \"Cross\"\nresolution_units = \"inch\"\n", "\"resolution_units\""},
      {"transform_type = \"Rigid\"\n", "\"transform_type\""},
      {"camera_type = \"Fiducials\"\npoints {\n  x = 1\n}\n", "points"},
      {"camera_type = \"Fiducials\"\npoints {\n  { coords_pix { x = 1, y = 2 } }\n}\n",
       "\"index\""},
      {"camera_type = \"Fiducials\"\npoints {\n  { index = 1, coords_pix { x = 1 } }\n}\n",
       "\"y\""},
      {"camera_type = \"PrincipalPoint\"\npoints {\n  { index = 1 }\n}\n", "\"coords_pix\""},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.text);
    TLxIntOrMeas m = Measured(ctFiducials, {1, 2, 3});
    TLxXIniReader r(c.text);
    try {
      m.LoadE(&r);
      ADD_FAILURE() << "no error";
    } catch (const TLxXIniError& e) {
      EXPECT_NE(std::string(e.what()).find(c.names), std::string::npos) << e.what();
    }
    ExpectIdentical(m, Measured(ctFiducials, {1, 2, 3}));
  }
}

TEST(IntOrDocument, SavingAFieldWithoutMachineTextRaisesWithItsContext) {
  struct TBad {
    TLxIntOrMeas m;
    const char* message;
    const char* written;  // what stays written before the failure
  };
  TLxIntOrMeas pp = Measured(ctPrincipalPoint, {1});
  pp.resolution_units = TResolutionUnits{0};
  TLxIntOrMeas fid = Measured(ctFiducials, {});
  fid.transform_type = TTransformType{9};
  TLxIntOrMeas rot = Measured(ctDigital, {});
  rot.rotation = TCamRotate{5};
  const TBad cases[] = {
      {Measured(TCameraType{6}, {}),
       "@TLxIntOrMeas::Save: invalid CameraType\n@EnumToTextE(): Invalid enum value: 6.", ""},
      {pp, "@TLxIntOrMeas::Save: invalid ResolutionUnits\n@EnumToTextE(): Invalid enum value: 0.",
       "scan_resolution"},
      {fid, "@TLxIntOrMeas::Save: invalid TransformType\n@EnumToTextE(): Invalid enum value: 9.",
       "rotation"},
      {rot, "@TLxIntOrMeas::Save: invalid Rotate\n@EnumToTextE(): Invalid enum value: 5.",
       "camera_type"},
  };
  for (const TBad& c : cases) {
    TLxXIniWriter w;
    try {
      c.m.SaveE(&w);
      ADD_FAILURE() << c.message;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_NE(w.Text().find(c.written), std::string::npos) << w.Text();
  }
}
