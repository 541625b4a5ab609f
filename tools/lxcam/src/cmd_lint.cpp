// lxcam lint: everything the document checks find, in every file at once.
#include <cstdio>
#include <memory>
#include <vector>

#include "Checks.h"
#include "Commands.h"
#include "Common.h"

namespace lxcam {
namespace {

bool HasEnumError(const std::vector<Finding>& findings) {
  for (const Finding& f : findings)
    if (f.severity == Severity::kError && !f.non_finite) return true;
  return false;
}

// The strict load of the record in the entered section; its error, if any.
template <class Record>
std::vector<Finding> LoadError(TLxXIniReader& reader) {
  try {
    Record().LoadE(&reader);
  } catch (const std::runtime_error& e) {
    return {{Severity::kError, e.what()}};
  }
  return {};
}

// The findings of every camera and measurement section of `text`.
std::vector<Finding> LintText(const std::string& text) {
  std::vector<Finding> findings;
  try {
    TLxXIniReader reader(text);
    findings = CheckTopLevel(reader);
    bool any = false;
    for (std::uint64_t pos = 0; pos < reader.EntryCount(); ++pos) {
      RecordKind kind;
      if (!GuessRecordKind(reader, pos, &kind)) continue;
      any = true;
      const std::string path = "/" + Printable(reader.NameAt(pos));
      const TLxXIniHandle handle = reader.EnterSectionE(pos);
      std::vector<Finding> record = CheckRecord(reader, kind, path, Severity::kWarning);
      // An invalid text already told; the loader would tell it again.
      if (!HasEnumError(record)) {
        const auto load = kind == RecordKind::kCamera ? LoadError<TLxCameraInfo>(reader)
                                                      : LoadError<TLxIntOrMeas>(reader);
        record.insert(record.end(), load.begin(), load.end());
      }
      reader.LeaveSection(handle);
      findings.insert(findings.end(), record.begin(), record.end());
    }
    if (!any) findings.push_back({Severity::kWarning, "no camera or measurement section found"});
  } catch (const TLxXIniError& e) {
    findings.push_back({Severity::kError, e.what()});
  }
  return findings;
}

}  // namespace

Subcommand AddLintCommand(CLI::App& root) {
  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* app = root.add_subcommand(
      "lint", "Reports every error and suspicious entry of camera and measurement documents");
  app->add_option("FILE", *files, "Documents to check")->required();
  app->footer(
      "Errors: syntax errors, texts that are no machine text of their key's enumeration\n"
      "(type, direction, digital_camera_origin, camera_type, rotation, resolution_units,\n"
      "transform_type), and whatever makes the strict load fail. Warnings: what loads but is\n"
      "suspicious: unknown keys (\"B1\" beside \"b1\"), repeated keys and top-level sections,\n"
      "table radii that are negative, repeated or out of order, repeated mark indices, and\n"
      "numbers that are nan or infinite. Each finding names the file, section and line.\n"
      "Exit status 2 when there is an error, else 0.");
  return {app, [files] {
            std::size_t errors = 0, warnings = 0;
            for (const std::string& file : *files) {
              std::vector<Finding> findings;
              try {
                findings = LintText(ReadFileText(file));
              } catch (const InputError& e) {
                findings.push_back({Severity::kError, e.what()});
              }
              for (const Finding& f : findings) {
                const bool error = f.severity == Severity::kError;
                (error ? errors : warnings) += 1;
                std::printf("%s: %s: %s\n", file.c_str(), error ? "error" : "warning",
                            f.text.c_str());
              }
            }
            std::printf("%zu error%s, %zu warning%s in %zu file%s\n", errors,
                        errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s", files->size(),
                        files->size() == 1 ? "" : "s");
            return errors > 0 ? kExitBadInput : kExitOk;
          }};
}

}  // namespace lxcam
