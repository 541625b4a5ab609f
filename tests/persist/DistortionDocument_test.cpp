#include <LxCameraUtils/CameraDistortion.h>
#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "DocumentTree.h"
#include "Samples.h"

namespace {

TLxCameraDistortion Other() {
  TLxCameraDistortion other = FullDistortion(dtMixed);
  other.k1 = 1.0;
  return other;
}

const auto kSame = [](const TLxCameraDistortion& a, const TLxCameraDistortion& b) {
  return a == b;
};

}  // namespace

TEST(DistortionDocument, WritesTheKeysOfEachTypeInOrder) {
  const std::string point = "type direction symmetry_point ";
  const std::map<TDistortionType, std::string> keys = {
      {dtNone, "type"},
      {dtFormula, point + "k1 k2 k3 k4 k5 p1 p2 p3 p4 b1 b2 a1 a2"},
      {dtRadial, point + "table_r"},
      {dtDirected4Plus, point + "table_+"},
      {dtDirected4X, point + "table_x"},
      {dtDirected8, point + "table_+ table_x"},
      {dtMixed, point + "mixed_coeffs"},
      {dtPolynomial, point + "polynomial_coeffs"},
  };
  for (const auto& [type, expected] : keys)
    EXPECT_EQ(KeysIn(Saved(FullDistortion(type)), ""), expected);

  EXPECT_EQ(KeysIn(Saved(FullDistortion(dtMixed)), "mixed_coeffs"),
            "a1 a2 a3 a4 a5 a6 a7 b1 b2 b3 b4 b5 b6 b7 c1 c2 c3 c4 c5 c6 c7 K1 K2 K3 P1 P2");
  EXPECT_EQ(KeysIn(Saved(FullDistortion(dtPolynomial)), "polynomial_coeffs"),
            "K0 K1 K2 K3 K4 K5 K6 K7 P1 P2 P3 P4");
  const std::string tables = Saved(FullDistortion(dtDirected8));
  EXPECT_EQ(KeysIn(tables, "table_+"), "[0] [1]");
  EXPECT_EQ(KeysIn(tables, "table_+/[1]"), "r dr");
  EXPECT_EQ(KeysIn(tables, "table_+/[1]/dr"), "[0] [1] [2] [3]");
  EXPECT_EQ(KeysIn(Saved(FullDistortion(dtRadial)), "table_r/[2]"), "r dr");
}

TEST(DistortionDocument, FormulaWritesTheLastFourTermsOnlyWhenNotZero) {
  TLxCameraDistortion d = FullDistortion(dtFormula);
  d.table_r.clear();
  d.table_plus.clear();
  d.table_x.clear();
  d.mixed_coeffs = {};
  d.polynomial_coeffs = {};
  d.b1 = 0.0;
  d.b2 = 0.5;
  d.a1 = std::numeric_limits<double>::quiet_NaN();
  d.a2 = -0.0;
  const std::string text = Saved(d);
  EXPECT_EQ(KeysIn(text, ""), "type direction symmetry_point k1 k2 k3 k4 k5 p1 p2 p3 p4 b2 a1");
  TLxCameraDistortion loaded;
  LoadInto(text, loaded);
  EXPECT_TRUE(std::isnan(loaded.a1));
  loaded.a1 = d.a1 = 0.0;
  EXPECT_TRUE(loaded == d);
}

TEST(DistortionDocument, StrictReaderNeedsEveryEntryButTheOptionalOnes) {
  const std::set<std::string> optional = {"direction", "k4",         "k5",         "p3",
                                          "p4",        "b1",         "b2",         "a1",
                                          "a2",        "table_r/[]", "table_+/[]", "table_x/[]"};
  for (TDistortionType type : kDistortionTypes) {
    SCOPED_TRACE(type);
    ExpectEveryEntryRequiredBut(Saved(FullDistortion(type)), optional, Other(), kSame);
  }
}

TEST(DistortionDocument, DirectionFallsBackToCamToMm) {
  const std::string text = Saved(FullDistortion(dtRadial));
  for (const char* direction : {"\"Sideways\"", "\"\""}) {
    TLxCameraDistortion d;
    LoadInto(Replaced(text, "\"MmToCam\"", direction), d);
    EXPECT_EQ(d.direction, TLxCameraDistortion::dirCamToMm);
    EXPECT_EQ(d.table_r.size(), 3u);
  }
}

TEST(DistortionDocument, ReadsTheFirstFourDirectedValuesWhateverTheirNames) {
  const std::string head = "type = \"Directed4X\"\nsymmetry_point { x = 0, y = 0 }\n";
  TLxCameraDistortion d;
  LoadInto(head + "table_x { row { r = 10, dr { a = 1, b = 2, c = 3, d = 4, e = 5 } } }", d);
  ASSERT_EQ(d.table_x.size(), 1u);
  EXPECT_EQ(d.table_x[0].dr, (std::array<double, 4>{1, 2, 3, 4}));

  const TLxCameraDistortion before = d;
  EXPECT_THROW(LoadInto(head + "table_x { { r = 10, dr { 1, 2, 3 } } }", d), TLxXIniError);
  EXPECT_TRUE(d == before);
}

TEST(DistortionDocument, NoneIgnoresEverythingButItsType) {
  std::string text = Saved(FullDistortion(dtDirected8));
  TLxCameraDistortion d = Other();
  LoadInto(Replaced(text, "\"Directed8\"", "\"None\""), d);
  EXPECT_TRUE(d == TLxCameraDistortion{});

  d = Other();
  const std::string error = ErrorOf([&] { LoadInto(Replaced(text, "Directed8", "Sideways"), d); });
  EXPECT_THAT(error, testing::HasSubstr("invalid value \"Sideways\" for key \"type\""));
  EXPECT_TRUE(d == Other());
}

TEST(DistortionDocument, InvalidTypeOrDirectionRaisesOnSaving) {
  TLxCameraDistortion d = FullDistortion(dtFormula);
  d.type = TDistortionType{0};
  TLxXIniWriter untyped;
  EXPECT_EQ(ErrorOf([&] { d.SaveE(&untyped); }),
            "@TLxCameraDistortion::Save: invalid DistortionType\n"
            "@EnumToTextE(): Invalid enum value: 0.");
  EXPECT_EQ(untyped.Text(), "");

  d.type = dtFormula;
  d.direction = TLxCameraDistortion::TDirection{2};
  TLxXIniWriter undirected;
  EXPECT_EQ(ErrorOf([&] { d.SaveE(&undirected); }),
            "@TLxCameraDistortion::Save: invalid Direction\n"
            "@EnumToTextE(): Invalid enum value: 2.");
  EXPECT_EQ(KeysIn(undirected.Text(), ""), "type");
}
