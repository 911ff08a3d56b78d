#include <gtest/gtest.h>

#include <vector>

#include "hook/kerrak_deploy.h"
#include "tests/fakes/fake_hook.h"

namespace ravak {
namespace {

using testing::FakeKerrakFiles;
using Log = std::vector<std::string>;
using Paths = std::vector<std::u16string>;

const std::u16string kSystem = u"C:\\Windows\\system32\\Kerrak.dll";
const std::u16string kUserFolder = u"C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak";
const std::u16string kUser = kUserFolder + u"\\Kerrak.dll";
const std::u16string kProgram = u"C:\\Program Files\\Tirnak\\Ravak\\Kerrak.dll";
const std::vector<uint8_t> kImage = {'M', 'Z', 0x90, 0x00, 0xFF, 0x00, 0x01};

class DeployTest : public ::testing::Test {
 protected:
  KerrakDeployment Deploy() { return DeployKerrak(fs, kImage); }
  FakeKerrakFiles fs;
};

TEST_F(DeployTest, WritesImageToSystemFolderWhenMissing) {
  const KerrakDeployment d = Deploy();
  EXPECT_EQ(fs.files[kSystem], kImage);
  EXPECT_EQ(d.written, kSystem);
  EXPECT_EQ(d.load_order, Paths{kSystem});
  EXPECT_FALSE(d.error);
  EXPECT_EQ(fs.log, Log{"write C:\\Windows\\system32\\Kerrak.dll"});
}

TEST_F(DeployTest, ExistingSystemCopyIsNeverReplaced_EvenAnEmptyOne) {
  fs.files[kSystem] = {};
  fs.files[kUser] = {1};
  const KerrakDeployment d = Deploy();
  EXPECT_TRUE(fs.log.empty());
  EXPECT_TRUE(fs.files[kSystem].empty());
  EXPECT_TRUE(d.written.empty());
  EXPECT_EQ(d.load_order, (Paths{kSystem, kUser}));
  EXPECT_FALSE(d.error);
}

TEST_F(DeployTest, StandardUser_WritesPerUserCopyWithoutError) {
  fs.read_only = {u"C:\\Windows"};
  const KerrakDeployment d = Deploy();
  EXPECT_EQ(fs.log, (Log{"write C:\\Windows\\system32\\Kerrak.dll",
                         "mkdir C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak",
                         "write C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\Kerrak.dll"}));
  EXPECT_EQ(fs.files[kUser], kImage);
  EXPECT_EQ(d.written, kUser);
  EXPECT_EQ(d.load_order, Paths{kUser});
  EXPECT_FALSE(d.error);

  // The next start finds the per-user copy and leaves it alone.
  fs.log.clear();
  fs.files[kUser] = {42};
  const KerrakDeployment again = Deploy();
  EXPECT_EQ(fs.log, Log{"write C:\\Windows\\system32\\Kerrak.dll"});
  EXPECT_EQ(fs.files[kUser], std::vector<uint8_t>{42});
  EXPECT_EQ(again.load_order, Paths{kUser});
  EXPECT_FALSE(again.error);
}

TEST_F(DeployTest, NothingWritable_ProgramFolderCopyIsUsedWithoutError) {
  fs.read_only = {u"C:\\"};
  fs.files[kProgram] = kImage;
  fs.files[u"Kerrak.dll"] = kImage;  // planted in the current folder: never a candidate
  const KerrakDeployment d = Deploy();
  EXPECT_EQ(d.load_order, Paths{kProgram});
  EXPECT_FALSE(d.error);
}

TEST_F(DeployTest, NothingWritableAndNoCopy_ReportsCannotCreateFile) {
  fs.read_only = {u"C:\\"};
  KerrakDeployment d = Deploy();
  EXPECT_TRUE(d.load_order.empty());
  ASSERT_TRUE(d.error);
  EXPECT_EQ(*d.error,
            "Cannot create file \"C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\Kerrak.dll\". "
            "Access is denied.");

  // Without a per-user folder the System folder's failure is the one reported.
  fs.local_app_data.clear();
  d = Deploy();
  ASSERT_TRUE(d.error);
  EXPECT_EQ(*d.error,
            "Cannot create file \"C:\\Windows\\system32\\Kerrak.dll\". Access is denied.");
}

TEST_F(DeployTest, TrailingDelimiterOfSystemFolderGivesOneDelimiter) {
  fs.system_folder = u"C:\\Windows\\system32\\";
  EXPECT_EQ(Deploy().written, kSystem);
  EXPECT_EQ(JoinPath(u"C:\\", u"Kerrak.dll"), u"C:\\Kerrak.dll");
  EXPECT_EQ(JoinPath(u"D:\\x/", u"Kerrak.dll"), u"D:\\x\\Kerrak.dll");
}

}  // namespace
}  // namespace ravak
