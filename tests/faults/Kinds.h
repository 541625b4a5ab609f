#pragma once

// The kinds of document the fault suites run over: the bundled examples that
// hold each and the loader that reads it.

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "Reliability.h"

struct CameraKind {
  using Record = TLxCameraInfo;
  static lxrel::Loader<Record> Loader() { return lxrel::CameraLoader(); }
  static constexpr const char* kSuffix = ".xini";
};
struct DistortionKind {
  using Record = TLxCameraDistortion;
  static lxrel::Loader<Record> Loader() { return lxrel::DistortionLoader(); }
  static constexpr const char* kSuffix = ".xini";
};
struct TemplatesKind {
  using Record = TCameraMarkTemplates;
  static lxrel::Loader<Record> Loader() { return lxrel::TemplatesLoader(); }
  static constexpr const char* kSuffix = ".xini";
};
struct MeasurementsKind {
  using Record = TLxIntOrMeas;
  static lxrel::Loader<Record> Loader() { return lxrel::IntOrLoader(); }
  static constexpr const char* kSuffix = ".meas.xini";
};
using DocumentKinds = testing::Types<CameraKind, DistortionKind, TemplatesKind, MeasurementsKind>;

// The examples of a kind, as (file name, text): templates in their own
// folder, measurements beside the cameras they were made with.
template <class Kind>
std::vector<std::pair<std::string, std::string>> Examples() {
  const bool templates = std::is_same_v<Kind, TemplatesKind>;
  const bool measurements = std::is_same_v<Kind, MeasurementsKind>;
  return lxrel::Documents(LX_EXAMPLES_DIR + std::string(templates ? "/templates" : "/cameras"),
                          Kind::kSuffix, measurements ? "" : ".meas.xini");
}
