// Document writing and parsing throughput on camera records, at 1x, 10x and 100x
// size. The same content parsed as JSON with RapidJSON's DOM is the reference.
// Parse time per byte of four extreme shapes at 1x, 10x and 100x shows that
// parsing stays linear in the size.

#include <LxStd/XIni.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#ifdef LX_HAVE_RAPIDJSON
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#endif

namespace {

constexpr int kCamerasAt1x = 50;

struct Fiducial {
  int index;
  double x, y;
};

struct Camera {
  std::string name, date, description;
  double focus, ppx, ppy;
  std::vector<Fiducial> fiducials;
  std::vector<std::pair<double, double>> radial;  // r, dr
};

std::vector<Camera> MakeCameras(int count) {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> mm(-120.0, 120.0);
  std::vector<Camera> cameras(static_cast<std::size_t>(count));
  int n = 0;
  for (Camera& c : cameras) {
    c.name = "Camera " + std::to_string(++n);
    c.date = "2021-05-" + std::to_string(10 + n % 20);
    c.description = "Aerial survey camera, lens serial " + std::to_string(1000 + n) +
                    ".\nCalibrated by the manufacturer.\nFiducials measured in \"mm\".";
    c.focus = 150.0 + mm(rng) / 100.0;
    c.ppx = mm(rng) / 1000.0;
    c.ppy = mm(rng) / 1000.0;
    for (int i = 1; i <= 8; ++i)
      c.fiducials.push_back({i, mm(rng), mm(rng)});
    for (int i = 1; i <= 20; ++i)
      c.radial.emplace_back(i * 7.5, mm(rng) / 1e5);
  }
  return cameras;
}

void WritePoint(TLxXIniWriter& w, const char* name, double x, double y) {
  const auto h = w.BeginSectionCompactSE(name);
  w.WriteS(lx::s_x, x);
  w.WriteS(lx::s_y, y);
  w.EndSection(h);
}

std::string WriteXIni(const std::vector<Camera>& cameras) {
  TLxXIniWriter w;
  const auto list = w.BeginSectionSE("cameras");
  for (const Camera& c : cameras) {
    const auto cam = w.BeginSectionSE("");
    w.WriteS("name", c.name);
    w.WriteS("calibration_date", c.date);
    w.WriteLongStringSE("description", c.description);
    w.WriteS("focus", c.focus);
    WritePoint(w, "principal_point", c.ppx, c.ppy);
    const auto io = w.BeginSectionSE("int_or");
    w.WriteS("type", std::string("Fiducials"));
    const auto fids = w.BeginSectionSE("fiducials");
    for (const Fiducial& f : c.fiducials) {
      const auto item = w.BeginSectionCompactSE("");
      w.WriteS("index", f.index);
      WritePoint(w, "coords_cam", f.x, f.y);
      w.EndSection(item);
    }
    w.EndSection(fids);
    w.EndSection(io);
    const auto dist = w.BeginSectionSE("distortion");
    w.WriteS("type", std::string("Radial"));
    const auto table = w.BeginSectionSE("table_r");
    for (const auto& [r, dr] : c.radial) {
      const auto row = w.BeginSectionSE("");
      w.WriteS("r", r);
      w.WriteS("dr", dr);
      w.EndSection(row);
    }
    w.EndSection(table);
    w.EndSection(dist);
    w.EndSection(cam);
  }
  w.EndSection(list);
  return w.Text();
}

double ReadPoint(TLxXIniReader& r, const char* name) {
  const auto h = r.EnterSectionE(r.FindFE(name));
  const double sum = r.ReadE<double>(r.FindFE(lx::s_x)) + r.ReadE<double>(r.FindFE(lx::s_y));
  r.LeaveSectionE(h);
  return sum;
}

// Reads every value the way the library's loaders do; returns a checksum.
double TraverseXIni(TLxXIniReader& r) {
  double sum = 0;
  const auto list = r.EnterSectionSE("cameras");
  for (std::uint64_t i = 0; r.HasEntry(i); ++i) {
    const auto cam = r.EnterSectionE(i);
    sum += static_cast<double>(r.ReadE<std::string>(r.FindFE("name")).size() +
                               r.ReadE<std::string>(r.FindFE("calibration_date")).size() +
                               r.ReadLongStringSE("description").size());
    sum += r.ReadE<double>(r.FindFE("focus")) + ReadPoint(r, "principal_point");
    const auto io = r.EnterSectionSE("int_or");
    sum += static_cast<double>(r.ReadE<std::string>(r.FindFE("type")).size());
    const auto fids = r.EnterSectionSE("fiducials");
    for (std::uint64_t f = 0; r.HasEntry(f); ++f) {
      const auto item = r.EnterSectionE(f);
      sum += r.ReadE<int>(r.FindFE("index")) + ReadPoint(r, "coords_cam");
      r.LeaveSectionE(item);
    }
    r.LeaveSectionE(fids);
    r.LeaveSectionE(io);
    const auto dist = r.EnterSectionSE("distortion");
    sum += static_cast<double>(r.ReadE<std::string>(r.FindFE("type")).size());
    const auto table = r.EnterSectionSE("table_r");
    for (std::uint64_t row = 0; r.HasEntry(row); ++row) {
      const auto h = r.EnterSectionE(row);
      sum += r.ReadE<double>(r.FindFE("r")) + r.ReadE<double>(r.FindFE("dr"));
      r.LeaveSectionE(h);
    }
    r.LeaveSectionE(table);
    r.LeaveSectionE(dist);
    r.LeaveSectionE(cam);
  }
  r.LeaveSectionE(list);
  return sum;
}

void BM_XIniWrite(benchmark::State& state) {
  const auto cameras = MakeCameras(kCamerasAt1x * static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = WriteXIni(cameras);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
  state.counters["doc_bytes"] = static_cast<double>(bytes);
}

void BM_XIniParseTraverse(benchmark::State& state) {
  const std::string text = WriteXIni(MakeCameras(kCamerasAt1x * static_cast<int>(state.range(0))));
  for (auto _ : state) {
    TLxXIniReader r(text);
    benchmark::DoNotOptimize(TraverseXIni(r));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(text.size() * state.iterations()));
  state.counters["doc_bytes"] = static_cast<double>(text.size());
}

BENCHMARK(BM_XIniWrite)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_XIniParseTraverse)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

// Shapes of about 100 kB at scale 1.
enum Shape { kFlat, kDeep, kLongText, kNumberedKeys };

std::string ShapeDocument(Shape shape, int scale) {
  TLxXIniWriter w;
  switch (shape) {
    case kFlat:  // one section of short keys of every type
      for (int i = 0; i < 1500 * scale; ++i) {
        w.WriteS("key_" + std::to_string(i % 97), i * 0.001);
        w.WriteS("text", std::string("value"));
      }
      break;
    case kDeep:  // towers nested to the depth limit, one line each
      for (int tower = 0; tower < 8 * scale; ++tower) {
        std::vector<TLxXIniHandle> open;
        for (std::size_t level = 0; level < kXIniMaxDepth; ++level) {
          open.push_back(w.BeginSectionCompactSE("s"));
          w.WriteS("k", static_cast<int>(level));
        }
        for (auto h = open.rbegin(); h != open.rend(); ++h)
          w.EndSection(*h);
      }
      break;
    case kLongText: {  // one block text and one quoted text with escapes
      std::string line(78, 'x');
      line[10] = '"';
      line[40] = '\\';
      std::string text;
      for (int i = 0; i < 600 * scale; ++i)
        text += line + "\n";
      w.WriteLongStringSE("block", text);
      w.WriteS("quoted", text);
      break;
    }
    case kNumberedKeys: {  // "K0" to "Kn" in one section, as distortion coefficients
      const auto section = w.BeginSectionSE("coeffs");
      for (int i = 0; i < 5000 * scale; ++i)
        w.WriteS("K" + std::to_string(i), 1.0 / (i + 3));
      w.EndSection(section);
      break;
    }
  }
  return w.Text();
}

void BM_XIniParseShape(benchmark::State& state) {
  static const char* const kNames[] = {"flat", "deep", "long text", "numbered keys"};
  const auto shape = static_cast<Shape>(state.range(0));
  const std::string text = ShapeDocument(shape, static_cast<int>(state.range(1)));
  for (auto _ : state) {
    TLxXIniReader r(text);
    benchmark::DoNotOptimize(r.EntryCount());
  }
  state.SetLabel(kNames[shape]);
  state.SetBytesProcessed(static_cast<std::int64_t>(text.size() * state.iterations()));
  state.counters["doc_bytes"] = static_cast<double>(text.size());
  // Seconds per byte: "1.5n" is 1.5 ns/B.
  state.counters["s/B"] = benchmark::Counter(
      static_cast<double>(text.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_XIniParseShape)
    ->ArgsProduct({{kFlat, kDeep, kLongText, kNumberedKeys}, {1, 10, 100}})
    ->Unit(benchmark::kMicrosecond);

#ifdef LX_HAVE_RAPIDJSON

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void JsonPoint(JsonWriter& w, const char* name, double x, double y) {
  w.Key(name);
  w.StartObject();
  w.Key("x");
  w.Double(x);
  w.Key("y");
  w.Double(y);
  w.EndObject();
}

std::string WriteJson(const std::vector<Camera>& cameras) {
  rapidjson::StringBuffer buffer;
  JsonWriter w(buffer);
  w.StartObject();
  w.Key("cameras");
  w.StartArray();
  for (const Camera& c : cameras) {
    w.StartObject();
    w.Key("name");
    w.String(c.name.c_str());
    w.Key("calibration_date");
    w.String(c.date.c_str());
    w.Key("description");
    w.String(c.description.c_str());
    w.Key("focus");
    w.Double(c.focus);
    JsonPoint(w, "principal_point", c.ppx, c.ppy);
    w.Key("int_or");
    w.StartObject();
    w.Key("type");
    w.String("Fiducials");
    w.Key("fiducials");
    w.StartArray();
    for (const Fiducial& f : c.fiducials) {
      w.StartObject();
      w.Key("index");
      w.Int(f.index);
      JsonPoint(w, "coords_cam", f.x, f.y);
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    w.Key("distortion");
    w.StartObject();
    w.Key("type");
    w.String("Radial");
    w.Key("table_r");
    w.StartArray();
    for (const auto& [r, dr] : c.radial) {
      w.StartObject();
      w.Key("r");
      w.Double(r);
      w.Key("dr");
      w.Double(dr);
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
  return buffer.GetString();
}

const rapidjson::Value& Member(const rapidjson::Value& object, const char* name) {
  const auto it = object.FindMember(name);
  if (it == object.MemberEnd()) throw std::runtime_error(name);
  return it->value;
}

double JsonPointSum(const rapidjson::Value& object, const char* name) {
  const rapidjson::Value& p = Member(object, name);
  return Member(p, "x").GetDouble() + Member(p, "y").GetDouble();
}

double TraverseJson(const rapidjson::Document& doc) {
  double sum = 0;
  for (const rapidjson::Value& cam : Member(doc, "cameras").GetArray()) {
    sum += static_cast<double>(Member(cam, "name").GetStringLength() +
                               Member(cam, "calibration_date").GetStringLength() +
                               Member(cam, "description").GetStringLength());
    sum += Member(cam, "focus").GetDouble() + JsonPointSum(cam, "principal_point");
    const rapidjson::Value& io = Member(cam, "int_or");
    sum += static_cast<double>(Member(io, "type").GetStringLength());
    for (const rapidjson::Value& f : Member(io, "fiducials").GetArray())
      sum += Member(f, "index").GetInt() + JsonPointSum(f, "coords_cam");
    const rapidjson::Value& dist = Member(cam, "distortion");
    sum += static_cast<double>(Member(dist, "type").GetStringLength());
    for (const rapidjson::Value& row : Member(dist, "table_r").GetArray())
      sum += Member(row, "r").GetDouble() + Member(row, "dr").GetDouble();
  }
  return sum;
}

// kParseDefaultFlags may be off by an ulp; kParseFullPrecisionFlag is exact like ours.
template <unsigned kFlags>
void BM_JsonParseTraverse(benchmark::State& state) {
  const std::string text = WriteJson(MakeCameras(kCamerasAt1x * static_cast<int>(state.range(0))));
  for (auto _ : state) {
    rapidjson::Document doc;
    doc.Parse<kFlags>(text.c_str());
    if (doc.HasParseError()) state.SkipWithError("JSON parse error");
    benchmark::DoNotOptimize(TraverseJson(doc));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(text.size() * state.iterations()));
  state.counters["doc_bytes"] = static_cast<double>(text.size());
}

BENCHMARK(BM_JsonParseTraverse<rapidjson::kParseDefaultFlags>)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_JsonParseTraverse<rapidjson::kParseFullPrecisionFlag>)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);

#endif

}  // namespace

BENCHMARK_MAIN();
