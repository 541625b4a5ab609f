#pragma once

// The acceptance points of tests/data/acceptance-points.txt and the example
// cameras and measurements.

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxStd/Vec.h>
#include <LxStd/XIni.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct TAcceptancePoint {
  std::string camera;  // file name in examples/cameras
  vec_t_<double, 2> in, out;
  double tolerance_um = 0.0;
  std::string source;
};

inline std::string ReadFileText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Numbers are read without the locale: tests also run under a decimal comma.
inline std::vector<TAcceptancePoint> AcceptancePoints() {
  std::vector<TAcceptancePoint> points;
  std::istringstream lines(ReadFileText(LX_DATA_DIR "/acceptance-points.txt"));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    TAcceptancePoint p;
    const char* at = line.data();
    const char* end = at + line.size();
    const auto skip = [&] {
      while (at < end && *at == ' ')
        ++at;
    };
    const char* name_end = std::find(at, end, ' ');
    p.camera.assign(at, name_end);
    at = name_end;
    for (double* v : {&p.in.x, &p.in.y, &p.out.x, &p.out.y, &p.tolerance_um}) {
      skip();
      at = std::from_chars(at, end, *v).ptr;
    }
    skip();
    p.source.assign(at, end);
    points.push_back(p);
  }
  return points;
}

// The record in the top-level `section` of a document's text.
template <class Record>
Record RecordOf(const std::string& text, const char* section) {
  TLxXIniReader reader(text);
  reader.EnterSectionSE(section);
  Record record;
  record.LoadE(&reader);
  return record;
}

// The document holding `record` in the top-level `section`.
template <class Record>
std::string TextOf(const Record& record, const char* section) {
  TLxXIniWriter writer;
  const TLxXIniHandle handle = writer.BeginSectionSE(section);
  record.SaveE(&writer);
  writer.EndSection(handle);
  return writer.Text();
}

// The record of an example document, from its top-level `section`.
template <class Record>
Record ExampleRecord(const std::string& file, const char* section) {
  return RecordOf<Record>(ReadFileText(LX_EXAMPLES_DIR "/cameras/" + file), section);
}

inline TLxCameraInfo ExampleCamera(const std::string& file) {
  return ExampleRecord<TLxCameraInfo>(file, "camera");
}

inline TLxIntOrMeas ExampleMeas(const std::string& file) {
  return ExampleRecord<TLxIntOrMeas>(file, "int_or_meas");
}
