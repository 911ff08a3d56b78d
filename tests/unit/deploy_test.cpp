#include <gtest/gtest.h>

#include <vector>

#include "hook/kerrak_deploy.h"
#include "tests/fakes/fake_hook.h"

namespace ravak {
namespace {

using testing::FakeKerrakFiles;
using Log = std::vector<std::string>;
using Paths = std::vector<std::u16string>;
using Bytes = std::vector<uint8_t>;

const std::u16string kSystem = u"C:\\Windows\\system32\\Kerrak.dll";
const std::u16string kUserFolder = u"C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x64";
const std::u16string kUser = kUserFolder + u"\\Kerrak.dll";
const std::u16string kUserX86 = u"C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x86\\Kerrak.dll";
const std::u16string kProgram = u"C:\\Program Files\\Tirnak\\Ravak\\Kerrak.dll";

// A module image: DOS header pointing at a PE file header for machine, then a tail byte to
// tell builds apart.
Bytes Image(uint16_t machine, uint8_t tail = 0xFF, uint32_t pe_offset = 0x80) {
  Bytes bytes(pe_offset + 24 + 16, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<uint8_t>(pe_offset >> (8 * i));
  bytes[pe_offset] = 'P';
  bytes[pe_offset + 1] = 'E';
  bytes[pe_offset + 4] = static_cast<uint8_t>(machine);
  bytes[pe_offset + 5] = static_cast<uint8_t>(machine >> 8);
  bytes.back() = tail;
  return bytes;
}

const Bytes kImage = Image(kMachineX64);

class DeployTest : public ::testing::Test {
 protected:
  KerrakDeployment Deploy(const Bytes& image = kImage) { return DeployKerrak(fs, image); }
  FakeKerrakFiles fs;
};

TEST(PeMachineTest, ReadsMachineOnlyFromCompleteHeaders) {
  EXPECT_EQ(PeMachine(Image(kMachineX64)), kMachineX64);
  EXPECT_EQ(PeMachine(Image(kMachineX86)), kMachineX86);
  EXPECT_EQ(PeMachine(Image(kMachineX86, 0, 0x40)), kMachineX86);

  // Cut short anywhere before the end of the PE file header.
  const Bytes whole = Image(kMachineX64);
  for (std::size_t size = 0; size < 0x80 + 24; ++size) {
    EXPECT_EQ(PeMachine(std::span(whole).first(size)), std::nullopt) << size;
  }
  EXPECT_EQ(PeMachine(std::span(whole).first(0x80 + 24)), kMachineX64);

  Bytes damaged = whole;
  damaged[0] = 'X';  // no MZ
  EXPECT_EQ(PeMachine(damaged), std::nullopt);
  damaged = whole;
  damaged[0x81] = 'X';  // no PE signature
  EXPECT_EQ(PeMachine(damaged), std::nullopt);
  for (const uint32_t offset :
       {0x7FFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFF0u, static_cast<uint32_t>(whole.size() - 23)}) {
    damaged = whole;  // PE header offset beyond the data, also when added to it overflows
    for (int i = 0; i < 4; ++i) damaged[0x3C + i] = static_cast<uint8_t>(offset >> (8 * i));
    EXPECT_EQ(PeMachine(damaged), std::nullopt) << offset;
  }
}

TEST_F(DeployTest, WritesImageToSystemFolderWhenMissing) {
  const KerrakDeployment d = Deploy();
  EXPECT_EQ(fs.files[kSystem], kImage);
  EXPECT_EQ(d.written, kSystem);
  EXPECT_EQ(d.load_order, Paths{kSystem});
  EXPECT_FALSE(d.error);
  EXPECT_EQ(fs.log, Log{"write C:\\Windows\\system32\\Kerrak.dll"});
}

TEST_F(DeployTest, ExistingSystemCopyIsNeverReplaced_AndUsedOnlyWhenOfThisArchitecture) {
  const Bytes older = Image(kMachineX64, 0x01);
  fs.files[kSystem] = older;
  fs.files[kUser] = kImage;
  KerrakDeployment d = Deploy();
  EXPECT_TRUE(fs.log.empty());
  EXPECT_EQ(fs.files[kSystem], older);
  EXPECT_TRUE(d.written.empty());
  EXPECT_EQ(d.load_order, (Paths{kSystem, kUser}));
  EXPECT_FALSE(d.error);

  // Empty, or of the other architecture: left alone, never loaded; the per-user copy serves.
  for (const Bytes& unusable : {Bytes{}, Image(kMachineX86)}) {
    fs.files.clear();
    fs.log.clear();
    fs.files[kSystem] = unusable;
    d = Deploy();
    EXPECT_EQ(fs.files[kSystem], unusable);
    EXPECT_EQ(fs.files[kUser], kImage);
    EXPECT_EQ(d.load_order, Paths{kUser});
    EXPECT_FALSE(d.error);
  }
}

TEST_F(DeployTest, StandardUser_WritesPerUserCopyWithoutError) {
  fs.read_only = {u"C:\\Windows"};
  const KerrakDeployment d = Deploy();
  EXPECT_EQ(fs.log, (Log{"write C:\\Windows\\system32\\Kerrak.dll",
                         "mkdir C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x64",
                         "write C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x64\\Kerrak.dll"}));
  EXPECT_EQ(fs.files[kUser], kImage);
  EXPECT_EQ(d.written, kUser);
  EXPECT_EQ(d.load_order, Paths{kUser});
  EXPECT_FALSE(d.error);

  // The next start finds the per-user copy (say, of an older build) and leaves it alone.
  fs.log.clear();
  const Bytes older = Image(kMachineX64, 0x01);
  fs.files[kUser] = older;
  const KerrakDeployment again = Deploy();
  EXPECT_EQ(fs.log, Log{"write C:\\Windows\\system32\\Kerrak.dll"});
  EXPECT_EQ(fs.files[kUser], older);
  EXPECT_EQ(again.load_order, Paths{kUser});
  EXPECT_FALSE(again.error);
}

TEST_F(DeployTest, EachArchitectureKeepsItsOwnPerUserCopy_AndSkipsCopiesOfTheOther) {
  struct Build {
    uint16_t machine;
    std::u16string own;
    std::u16string other;
  };
  for (const Build& build :
       {Build{kMachineX64, kUser, kUserX86}, Build{kMachineX86, kUserX86, kUser}}) {
    SCOPED_TRACE(build.machine);
    const uint16_t other_machine = build.machine == kMachineX64 ? kMachineX86 : kMachineX64;
    const Bytes image = Image(build.machine);
    const Bytes foreign = Image(other_machine);
    fs.files.clear();
    fs.read_only = {u"C:\\Windows", u"C:\\Program Files"};
    fs.files[build.other] = foreign;  // written by the other build of Ravak
    fs.files[kProgram] = foreign;     // the other build's program folder, say
    KerrakDeployment d = Deploy(image);
    EXPECT_EQ(fs.files[build.own], image);
    EXPECT_EQ(fs.files[build.other], foreign);
    EXPECT_EQ(d.written, build.own);
    EXPECT_EQ(d.load_order, Paths{build.own});
    EXPECT_FALSE(d.error);

    // A copy of the other architecture, a damaged or a cut-short one in its own folder is
    // replaced.
    for (const Bytes& bad :
         {foreign, Bytes{'M', 'Z', 0, 0}, Bytes(image.begin(), image.end() - 40), Bytes{}}) {
      fs.files[build.own] = bad;
      d = Deploy(image);
      EXPECT_EQ(fs.files[build.own], image);
      EXPECT_EQ(d.load_order, Paths{build.own});
      EXPECT_FALSE(d.error);
    }

    // Nowhere to write and only foreign copies: nothing to load, and the failure is reported.
    fs.files.erase(build.own);
    fs.read_only = {u"C:\\"};
    d = Deploy(image);
    EXPECT_TRUE(d.load_order.empty());
    EXPECT_TRUE(d.error);
  }
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
            "Cannot create file \"C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x64\\Kerrak.dll\". "
            "Access is denied.");

  // Without a per-user folder the System folder's failure is the one reported.
  fs.local_app_data.clear();
  d = Deploy();
  ASSERT_TRUE(d.error);
  EXPECT_EQ(*d.error,
            "Cannot create file \"C:\\Windows\\system32\\Kerrak.dll\". Access is denied.");
}

TEST_F(DeployTest, DamagedCarriedImage_IsNeitherWrittenNorMatchedToAnyCopy) {
  fs.files[kProgram] = kImage;
  const KerrakDeployment d = Deploy(Bytes{'M', 'Z', 1, 2, 3});
  EXPECT_TRUE(fs.log.empty());
  EXPECT_TRUE(d.load_order.empty());
  ASSERT_TRUE(d.error);
  EXPECT_EQ(*d.error, "Cannot create file \"Kerrak.dll\". The carried image is damaged.");
}

TEST_F(DeployTest, TrailingDelimiterOfSystemFolderGivesOneDelimiter) {
  fs.system_folder = u"C:\\Windows\\system32\\";
  EXPECT_EQ(Deploy().written, kSystem);
  EXPECT_EQ(JoinPath(u"C:\\", u"Kerrak.dll"), u"C:\\Kerrak.dll");
  EXPECT_EQ(JoinPath(u"D:\\x/", u"Kerrak.dll"), u"D:\\x\\Kerrak.dll");
}

}  // namespace
}  // namespace ravak
