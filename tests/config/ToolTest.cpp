// pzam-tool text and version, run as the operator runs them.
#include <gtest/gtest.h>

#include "support/RunTool.h"

namespace pzam {
namespace {

using test::RunTool;
using test::TToolRun;

TEST(PzamTool, TextPrintsEachIdAsShown) {
  struct {
    const char* args;
    int status;
    const char* out;
  } cases[] = {{"text 1008 20011 4711", 0, "Datensätze\n sendet\n0\n"},
               {"text --language english 2006 20013", 0, "Close\n Sylvac mode\n"},
               {"text --language klingon 1000", 0, "0\n"},
               {"text 9004", 0, "Schnittstelle %s kann nicht geöffnet werden: %s\n"},
               {"text", 2, ""},
               {"text 10a", 2, ""},
               {"version /nonexistent/file", 1, ""},
               {"version /dev/null", 0, "\n"},
               {"version", 0, "V1.10 Build 3\n"}};
  for (const auto& c : cases) {
    const TToolRun run = RunTool(c.args);
    EXPECT_EQ(c.status, run.Status) << c.args;
    EXPECT_EQ(c.out, run.Out) << c.args;
  }
}

TEST(PzamTool, TextAllListsEveryId) {
  const TToolRun run = RunTool("text --all");
  EXPECT_EQ(0, run.Status);
  EXPECT_NE(std::string::npos, run.Out.find("1000\tP-ZAM Messwerterfassung\n"));
  EXPECT_NE(std::string::npos, run.Out.find("9017\tMinimum\n"));
  EXPECT_EQ(std::string::npos, run.Out.find("\t0\n"));
}

}  // namespace
}  // namespace pzam
