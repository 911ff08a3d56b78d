#include <gtest/gtest.h>

#include <sstream>

#include "tools/commands.h"

namespace ravak::tool {
namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun Convert(const Args& args, const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = ConvertCommand(args, in, out, err);
  return {status, out.str(), err.str()};
}

TEST(ToolConvertTest, ConvertsEachLineKeepingLineEndings) {
  const ToolRun r = Convert({}, "sghl\r\nhello سلام\n\\");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "سلام\r\nhello sghl\nپ");
  EXPECT_EQ(Convert({"--keyboard-type", "3"}, "\\\n").out, "ژ\n");
}

TEST(ToolConvertTest, BadUtf8StopsWithStatus2AndKeepsEarlierLines) {
  const ToolRun r = Convert({}, "sghl\nab\xff\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "سلام\n");
  EXPECT_EQ(r.err, "ravak-tool: line 2: invalid UTF-8 at byte 3\n");
}

TEST(ToolConvertTest, LayoutsAreChosenByTheirKlid) {
  EXPECT_EQ(Convert({"--persian-layout", "00050429"}, "mnv\n").out, "پدر\n");
  EXPECT_EQ(Convert({"--english-layout", "00010409"}, "oidn\n").out, "سلام\n");
  const ToolRun latin = Convert({"--persian-layout", "00000409"}, "");
  EXPECT_EQ(latin.status, 2);
  EXPECT_NE(latin.err.find("not a Persian layout"), std::string::npos) << latin.err;
  EXPECT_EQ(Convert({"--english-layout", "0409"}, "").status, 2);
}

TEST(ToolConvertTest, BadOptionsAreUsageErrors) {
  EXPECT_EQ(Convert({"--keyboard-type"}, "").status, 2);
  EXPECT_EQ(Convert({"--keyboard-type", "x"}, "").status, 2);
  EXPECT_EQ(Convert({"--bogus"}, "").status, 2);
}

}  // namespace
}  // namespace ravak::tool
