#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <thread>

#include "serial/comm/CommApi.h"
#include "serial/comm/CommErrors.h"

namespace pzam::comm {
namespace {

TEST(CommErrors, ErrnoMapsToTheDriverCodes) {
  struct TCase {
    int err;
    uint32_t code;
  } cases[] = {{ENOENT, ERROR_FILE_NOT_FOUND},   {ENODEV, ERROR_FILE_NOT_FOUND},
               {EACCES, ERROR_ACCESS_DENIED},    {EPERM, ERROR_ACCESS_DENIED},
               {EBUSY, ERROR_SHARING_VIOLATION}, {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
               {EIO, ERROR_DEVICE_REMOVED},      {EINVAL, ERROR_INVALID_PARAMETER},
               {ENOTTY, ERROR_NOT_SUPPORTED},    {ENOMEM, ERROR_GEN_FAILURE}};
  for (const auto& c : cases) EXPECT_EQ(ErrorFromErrno(c.err), c.code) << c.err;
}

TEST(CommErrors, OpenTextsSayWhy) {
  // Permission denied names the group of the device node.
  struct stat st {};
  ASSERT_EQ(stat("/dev/null", &st), 0);
  const struct group* g = getgrgid(st.st_gid);
  ASSERT_NE(g, nullptr);
  std::string denied = OpenErrorText(EACCES, "/dev/null");
  EXPECT_NE(denied.find("/dev/null"), std::string::npos) << denied;
  EXPECT_NE(denied.find(std::string("group ") + g->gr_name), std::string::npos) << denied;
  EXPECT_NE(OpenErrorText(EACCES, "/nonexistent/ttyUSB0").find("group dialout"), std::string::npos);
  EXPECT_NE(OpenErrorText(EBUSY, "/dev/ttyUSB0").find("in use"), std::string::npos);
  EXPECT_NE(OpenErrorText(EWOULDBLOCK, "/dev/ttyUSB0").find("in use"), std::string::npos);
  EXPECT_EQ(OpenErrorText(ENOENT, "/dev/ttyUSB0").find("group"), std::string::npos);
}

TEST(CommErrors, LastErrorIsPerThread) {
  SetCommError(ERROR_ACCESS_DENIED, "main");
  std::thread([] {
    EXPECT_EQ(LastCommError(), ERROR_SUCCESS);
    SetCommErrno(ENOENT);
    EXPECT_EQ(LastCommError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(LastCommErrorText().empty());
  }).join();
  EXPECT_EQ(LastCommError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(LastCommErrorText(), "main");
}

}  // namespace
}  // namespace pzam::comm
