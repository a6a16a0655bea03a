// The JSON Schemas in docs/plant/ against the reader, checked by Python's jsonschema: a Linux
// program the test starts, so this test is not in the Windows set.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "PayloadCases.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace pzam::plant {
namespace {

using namespace test;

// The schemas in docs/plant/ say of every payload what the collector says, as far as a schema can
// (not: cross-field checks, calendar days, NUL characters and the size limit). Checked with an
// independent validator (Python's jsonschema, draft 2020-12).
TEST(PlantMessages, SchemasAgreeWithTheReader) {
  const std::string python = "/usr/bin/python3";
  pzam::test::TTempDir dir;
  nlohmann::json cases = nlohmann::json::array();
  const auto all = PayloadCases();
  for (const auto& c : all) {
    const nlohmann::json payload = nlohmann::json::parse(c.payload, nullptr, false);
    if (payload.is_discarded()) continue;  // not JSON: no schema question
    cases.push_back({c.schema, payload, c.what});
  }
  pzam::test::WriteFile(dir.File("cases.json"), cases.dump());
  const std::string script =
      "import json, sys, jsonschema\n"
      "docs = sys.argv[1]\n"
      "for kind, payload, what in json.load(open(sys.argv[2])):\n"
      "    schema = json.load(open(docs + '/' + kind + '.schema.json'))\n"
      "    jsonschema.Draft202012Validator.check_schema(schema)\n"
      "    ok = jsonschema.Draft202012Validator(schema).is_valid(payload)\n"
      "    print(what + '=' + ('1' if ok else '0'))\n";
  pzam::test::WriteFile(dir.File("check.py"), script);
  pzam::test::TChildProcess py(
      {python, {dir.File("check.py"), PZAM_DOCS_DIR "/plant", dir.File("cases.json")}, "", {}});
  ASSERT_TRUE(py.Started());
  py.CloseStdin();
  ASSERT_EQ(0, py.WaitForExit(std::chrono::seconds(60))) << py.Stderr();
  for (const auto& c : all) {
    const std::string line = std::string(c.what) + "=";
    const auto pos = py.Stdout().find(line);
    if (nlohmann::json::parse(c.payload, nullptr, false).is_discarded()) continue;
    ASSERT_NE(std::string::npos, pos) << c.what;
    EXPECT_EQ(c.schemaSays ? '1' : '0', py.Stdout()[pos + line.size()]) << c.what;
  }
}

}  // namespace
}  // namespace pzam::plant
