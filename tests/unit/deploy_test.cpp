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

Bytes Concat(Bytes bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
  return bytes;
}

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

TEST_F(DeployTest, CopyBesideTheProgramOrInTheSystemFolderServesOnlyWhenItIsTheImage) {
  fs.files[kProgram] = kImage;
  fs.files[kSystem] = kImage;
  fs.files[u"Kerrak.dll"] = kImage;  // planted in the current folder: never a candidate
  KerrakDeployment d = Deploy();
  EXPECT_EQ(d.load_order, (Paths{kProgram, kSystem}));
  EXPECT_TRUE(fs.log.empty());  // nothing written, nowhere
  EXPECT_FALSE(d.error);

  // An older build, the other architecture's, one cut short or grown: never loaded, never
  // replaced (not Ravak's to replace); the per-user copy serves instead.
  for (const Bytes& other : {Image(kMachineX64, 0x01), Image(kMachineX86), Bytes{},
                             Bytes(kImage.begin(), kImage.end() - 1), Concat(kImage, {0})}) {
    fs.files.clear();
    fs.files[kProgram] = fs.files[kSystem] = other;
    d = Deploy();
    EXPECT_EQ(fs.files[kProgram], other);
    EXPECT_EQ(fs.files[kSystem], other);
    EXPECT_EQ(d.load_order, Paths{kUser});
    EXPECT_EQ(fs.files[kUser], kImage);
  }
}

TEST_F(DeployTest, PerUserCopyIsWrittenWhenMissing_AndReplacedWheneverItIsNotTheImage) {
  KerrakDeployment d = Deploy();
  EXPECT_EQ(fs.log, (Log{"mkdir C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x64",
                         "write C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x64\\Kerrak.dll"}));
  EXPECT_EQ(d.written, kUser);
  EXPECT_EQ(d.load_order, Paths{kUser});
  EXPECT_FALSE(d.error);

  // The next start finds it as written and leaves it.
  fs.log.clear();
  d = Deploy();
  EXPECT_TRUE(fs.log.empty());
  EXPECT_TRUE(d.written.empty());
  EXPECT_EQ(d.load_order, Paths{kUser});

  // An older build (the fixed Kerrak must reach the user), the other architecture's, a
  // damaged, cut-short or longer one: replaced.
  for (const Bytes& stale : {Image(kMachineX64, 0x01), Image(kMachineX86), Bytes{'M', 'Z', 0, 0},
                             Bytes(kImage.begin(), kImage.end() - 40), Concat(kImage, {0})}) {
    fs.files[kUser] = stale;
    d = Deploy();
    EXPECT_EQ(fs.files[kUser], kImage);
    EXPECT_EQ(d.written, kUser);
    EXPECT_EQ(d.load_order, Paths{kUser});
  }

  // A copy that cannot be written: reported, nothing to load.
  fs.files[kUser] = Image(kMachineX64, 0x01);
  fs.read_only = {u"C:\\Users"};
  d = Deploy();
  EXPECT_TRUE(d.load_order.empty());
  ASSERT_TRUE(d.error);
  EXPECT_EQ(*d.error,
            "Cannot create file \"C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x64\\Kerrak.dll\". "
            "Access is denied.");
  fs.local_app_data.clear();
  d = Deploy();
  EXPECT_EQ(d.error, "Cannot create file \"Kerrak.dll\". No folder to write it to.");
}

TEST_F(DeployTest, Elevated_LoadsOnlyTheCopyBesideTheProgramOrInTheSystemFolder) {
  fs.elevated = true;
  fs.files[kUser] = kImage;  // a folder the user can write: never loaded, even when right
  fs.files[kProgram] = kImage;
  EXPECT_EQ(Deploy().load_order, Paths{kProgram});
  fs.files.erase(kProgram);
  fs.files[kSystem] = kImage;
  EXPECT_EQ(Deploy().load_order, Paths{kSystem});

  fs.files[kSystem] = Image(kMachineX64, 0x01);
  KerrakDeployment d = Deploy();
  EXPECT_TRUE(d.load_order.empty());
  EXPECT_EQ(d.error, kElevatedWithoutCopy);
  EXPECT_TRUE(fs.log.empty());  // and writes nothing

  // Run from a folder the user can write (a download), the copy beside it is never loaded:
  // anything of the user's could swap it after the check.
  fs.program_folder = u"C:\\Users\\u\\Downloads";
  fs.files[u"C:\\Users\\u\\Downloads\\Kerrak.dll"] = kImage;
  d = Deploy();
  EXPECT_TRUE(d.load_order.empty());
  EXPECT_EQ(d.error, kElevatedWithoutCopy);
}

TEST_F(DeployTest, EachArchitectureKeepsItsOwnPerUserCopy) {
  for (const uint16_t machine : {kMachineX64, kMachineX86}) {
    fs.files.clear();
    const Bytes image = Image(machine);
    const std::u16string own = machine == kMachineX64 ? kUser : kUserX86;
    const std::u16string other = machine == kMachineX64 ? kUserX86 : kUser;
    fs.files[other] = Image(machine == kMachineX64 ? kMachineX86 : kMachineX64);
    const KerrakDeployment d = Deploy(image);
    EXPECT_EQ(d.load_order, Paths{own});
    EXPECT_EQ(fs.files[own], image);
    EXPECT_NE(fs.files[other], image);  // the other build's copy is left alone
  }
}

TEST_F(DeployTest, DamagedCarriedImage_IsNeitherWrittenNorMatchedToAnyCopy) {
  fs.files[kProgram] = kImage;
  const KerrakDeployment d = Deploy(Bytes{'M', 'Z', 1, 2, 3});
  EXPECT_TRUE(fs.log.empty());
  EXPECT_TRUE(d.load_order.empty());
  ASSERT_TRUE(d.error);
  EXPECT_EQ(*d.error, "Cannot create file \"Kerrak.dll\". The carried image is damaged.");
}

TEST_F(DeployTest, TrailingDelimiterOfAFolderGivesOneDelimiter) {
  fs.system_folder = u"C:\\Windows\\system32\\";
  EXPECT_EQ(KerrakLocations(fs, kMachineX64).system, kSystem);
  EXPECT_EQ(JoinPath(u"C:\\", u"Kerrak.dll"), u"C:\\Kerrak.dll");
  EXPECT_EQ(JoinPath(u"D:\\x/", u"Kerrak.dll"), u"D:\\x\\Kerrak.dll");
}

}  // namespace
}  // namespace ravak
