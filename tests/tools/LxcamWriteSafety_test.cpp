// Every lxcam command that writes a file leaves what it writes through as it
// was: FIFOs stay FIFOs, links stay links, replaced files keep mode and owner,
// inputs are read whole before anything replaces them. All in a temporary
// folder; no file of the machine is ever named as an output.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "LxcamRun.h"

namespace {

using namespace lxcam_test;

// What a path is: its own type and mode (links not followed), owner, link
// target and, for regular files, bytes.
struct Snapshot {
  mode_t mode = 0;  // type and permission bits
  uid_t uid = 0;
  gid_t gid = 0;
  std::string link;
  std::string bytes;

  bool operator==(const Snapshot&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Snapshot& s) {
  return os << "mode " << std::oct << s.mode << std::dec << ", owner " << s.uid << ":" << s.gid
            << ", link \"" << s.link << "\", " << s.bytes.size() << " bytes";
}

Snapshot Take(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {};
  Snapshot s{st.st_mode, st.st_uid, st.st_gid, {}, {}};
  if (S_ISLNK(st.st_mode)) s.link = fs::read_symlink(path).string();
  if (S_ISREG(st.st_mode)) s.bytes = ReadText(path);
  return s;
}

// Snapshot of a regular file with `bytes` in place of its own.
Snapshot WithBytes(Snapshot s, std::string bytes) {
  s.bytes = std::move(bytes);
  return s;
}

// The bytes written into the FIFO `path` while `run` runs. Holding a write
// end of our own keeps the reads waiting until `run` is over, also when it
// never opens the FIFO.
std::string ReadFifoWhile(const std::string& path, const std::function<void()>& run) {
  const int in = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  const int hold = ::open(path.c_str(), O_WRONLY);
  EXPECT_TRUE(in >= 0 && hold >= 0 && ::fcntl(in, F_SETFL, 0) == 0);
  std::string got;
  std::thread reader([&] {
    char buf[4096];
    for (::ssize_t n; (n = ::read(in, buf, sizeof buf)) > 0;)
      got.append(buf, static_cast<std::size_t>(n));
  });
  run();
  ::close(hold);
  reader.join();
  ::close(in);
  return got;
}

using LxcamWriteSafety = Lxcam;

TEST_F(LxcamWriteSafety, EveryWritingCommandWritesThroughFifosAndLinksAndKeepsModeAndOwner) {
  Write("points.txt", "1 2\n-50.5 80\n");
  const std::string commands[] = {
      "convert " + kFilm + " --to formula",
      "scale " + kFilm + " --factor 0.5",
      "plot " + kFilm,
      "new --preset dmc",
      "transform " + kFilm + " " + Temp("points.txt"),
  };
  const bool root = ::geteuid() == 0;  // only root can give a file another owner
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    const Result reference = Run(command + " -o -");
    ASSERT_EQ(reference.status, 0) << reference.err;
    const std::string& text = reference.out;
    const auto run = [&](const std::string& output) {
      const Result r = Run(command + " -o " + Temp(output));
      EXPECT_EQ(r.status, 0) << r.err;
    };

    // A FIFO, named directly and through a link: written through, never replaced.
    ASSERT_EQ(::mkfifo(Temp("fifo").c_str(), 0620), 0);
    fs::create_symlink(Temp("fifo"), Temp("to-fifo"));
    const Snapshot fifo = Take(Temp("fifo")), to_fifo = Take(Temp("to-fifo"));
    EXPECT_EQ(ReadFifoWhile(Temp("fifo"), [&] { run("fifo"); }), text);
    EXPECT_EQ(ReadFifoWhile(Temp("fifo"), [&] { run("to-fifo"); }), text);
    EXPECT_EQ(Take(Temp("fifo")), fifo);
    EXPECT_EQ(Take(Temp("to-fifo")), to_fifo);

    // A chain of links to a file: the file's content is replaced, with its
    // mode and owner; the links stay.
    Write("file", "old\n");
    fs::permissions(Temp("file"), fs::perms(0604));
    if (root) {
      ASSERT_EQ(::chown(Temp("file").c_str(), 1, 1), 0);
    }
    fs::create_symlink("file", Temp("link1"));
    fs::create_symlink(Temp("link1"), Temp("link2"));
    const Snapshot file = Take(Temp("file")), link1 = Take(Temp("link1")),
                   link2 = Take(Temp("link2"));
    run("link2");
    EXPECT_EQ(Take(Temp("file")), WithBytes(file, text));
    EXPECT_EQ(Take(Temp("link1")), link1);
    EXPECT_EQ(Take(Temp("link2")), link2);

    // A dangling link names the file to create.
    fs::create_symlink("created", Temp("dangling"));
    const Snapshot dangling = Take(Temp("dangling"));
    run("dangling");
    EXPECT_EQ(ReadText(Temp("created")), text);
    EXPECT_EQ(Take(Temp("dangling")), dangling);

    for (const char* name : {"fifo", "to-fifo", "file", "link1", "link2", "dangling", "created"})
      fs::remove(Temp(name));
  }
  // No temporary file is left behind.
  for (const auto& entry : fs::directory_iterator(dir_))
    EXPECT_THAT(entry.path().filename().string(), testing::Not(testing::HasSubstr("lxcam-")));
}

TEST_F(LxcamWriteSafety, DemoWritesThroughTheLinksItFindsInItsFolderAndSaysWhereItsOutputsWent) {
  fs::create_directories(Temp("demo"));
  Write("plot.svg", "");
  fs::permissions(Temp("plot.svg"), fs::perms(0600));
  const std::string svg = Temp("demo/film-fiducials-radial.svg");
  fs::create_symlink(Temp("plot.svg"), svg);
  const Snapshot link = Take(svg), plot = Take(Temp("plot.svg"));
  const Result r = Run("demo --out " + Temp("demo"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Take(svg), link);
  EXPECT_EQ(Take(Temp("plot.svg")), WithBytes(plot, Run("plot " + kFilm + " -o -").out));
  const std::string converted = Temp("demo/film-fiducials-radial.formula.xini");
  for (const std::string& part :
       {std::string("Aerial film camera 153"), svg, converted, std::string("largest deviation"),
        std::string("ready"), std::string("mirrored          yes")})
    EXPECT_THAT(r.out, testing::HasSubstr(part));
  EXPECT_EQ(LoadCamera(converted).distortion.type, dtFormula);
}

TEST_F(LxcamWriteSafety, TransformReadsAllInputBeforeItReplacesAndReplacesOnlyOnSuccess) {
  Write("points.txt", "1 2\n3 4\n");
  const std::string mapped = Run("transform " + kFilm, "1 2\n3 4\n").out;
  ASSERT_FALSE(mapped.empty());
  const Snapshot points = Take(Temp("points.txt"));
  ASSERT_EQ(Run("transform " + kFilm + " " + Temp("points.txt") + " -o " + Temp("points.txt") +
                " --force")
                .status,
            0);
  EXPECT_EQ(Take(Temp("points.txt")), WithBytes(points, mapped));

  Write("bad.txt", "not a point\n");
  const Snapshot before = Take(Temp("points.txt"));
  EXPECT_EQ(Run("transform " + kFilm + " " + Temp("bad.txt") + " -o " + Temp("points.txt")).status,
            2);
  EXPECT_EQ(Take(Temp("points.txt")), before);
}

TEST_F(LxcamWriteSafety, RewritingOneSectionKeepsEveryOtherSectionByteForByte) {
  const std::string head = "\xEF\xBB\xBF# survey cameras\r\nlens { k = 1 }  # kept\r\n";
  std::string second = ReadText(kExamples + "digital-frame-formula.xini");
  second.replace(0, std::string("camera").size(), "  camera2");  // indented, as written by hand
  const std::string tail = "\r\n" + ReadText(kExamples + "video-no-distortion.xini") + "tail = 1";
  const std::string document = head + ReadText(kFilm) + second + tail;
  Write("cameras.xini", document);
  for (const std::string& command :
       {std::string("scale --factor 2"), std::string("convert --to mixed")}) {
    SCOPED_TRACE(command);
    ASSERT_EQ(Run(command + " " + Temp("cameras.xini") + " --section camera2 -o " +
                  Temp("cameras.xini") + " --force")
                  .status,
              0);
    const std::string after = ReadText(Temp("cameras.xini"));
    EXPECT_TRUE(after.starts_with(head + ReadText(kFilm) + "  camera2 {")) << after;
    EXPECT_TRUE(after.ends_with("}\n" + tail)) << after;
    EXPECT_NE(after, document);
  }
}

}  // namespace
