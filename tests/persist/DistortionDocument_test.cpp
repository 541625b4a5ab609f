#include <LxCameraUtils/CameraDistortion.h>
#include <LxStd/XIni.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "DocumentTree.h"

const TLxCameraDistortion kBefore = lxrel::Prefilled<TLxCameraDistortion>();

TEST(DistortionDocument, FormulaWritesTheLastFourTermsOnlyWhenNotZero) {
  TLxCameraDistortion d;
  d.type = dtFormula;
  d.k1 = 1e-6;
  d.b2 = 0.5;
  d.a1 = std::numeric_limits<double>::quiet_NaN();
  d.a2 = -0.0;
  const std::string text = Saved(d);
  EXPECT_THAT(text, AllOf(HasSubstr("\nb2 = "), HasSubstr("\na1 = "), Not(HasSubstr("\nb1 = ")),
                          Not(HasSubstr("\na2 = "))));
  TLxCameraDistortion loaded = kBefore;
  LoadInto(text, loaded);
  d.a2 = 0.0;
  EXPECT_TRUE(Bits(loaded) == Bits(d));
}

TEST(DistortionDocument, DirectionFallsBackToCamToMm) {
  TLxCameraDistortion radial = kBefore;
  radial.type = dtRadial;
  const std::string text = Saved(radial);
  for (const char* direction : {"\"Sideways\"", "\"\""}) {
    TLxCameraDistortion d = kBefore;
    LoadInto(Replaced(text, "\"MmToCam\"", direction), d);
    EXPECT_EQ(d.direction, TLxCameraDistortion::dirCamToMm);
    EXPECT_EQ(d.table_r.size(), 2u);
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
  EXPECT_TRUE(Bits(d) == Bits(before));
}

TEST(DistortionDocument, NoneIgnoresEverythingButItsType) {
  TLxCameraDistortion d = kBefore;
  LoadInto(Replaced(Saved(kBefore), "\"Directed8\"", "\"None\""), d);
  EXPECT_TRUE(Bits(d) == Bits(TLxCameraDistortion{}));
}
