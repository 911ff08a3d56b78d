#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/error.h"
#include "tests/fakes/fake_system.h"
#include "typing/clipboard_text.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakePump;
using testing::Log;
using testing::Normalize;
namespace cf = clipformat;

constexpr uint32_t kHtml = 0xC0A1;
constexpr uint32_t kRichText = 0xC0A2;
constexpr uint32_t kOleWindow = 0xC0A3;

std::vector<uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

std::vector<uint32_t> FormatsOf(const ClipboardSnapshot& snapshot) {
  std::vector<uint32_t> formats;
  for (const ClipboardFormatData& data : snapshot) formats.push_back(data.format);
  return formats;
}

bool Queried(const FakeClipboard& clipboard, uint32_t format) {
  return std::count(clipboard.queried.begin(), clipboard.queried.end(), format) != 0;
}

class ClipboardSnapshotTest : public ::testing::Test {
 protected:
  ClipboardSnapshotTest() {
    clipboard.names = {
        {kHtml, "HTML Format"}, {kRichText, "Rich Text Format"}, {kOleWindow, "DataObject"}};
  }
  Log log;
  FakePump pump{log};
  FakeClipboard clipboard{log};
  ClipboardText text{clipboard, pump};
};

TEST_F(ClipboardSnapshotTest, EveryMemoryFormatComesBackByteForByte) {
  clipboard.SetByOtherApp(u"mine");
  clipboard.AddByOtherApp(cf::kLocale, {0x29, 0x04, 0, 0});
  clipboard.AddByOtherApp(kHtml, Bytes("<b>mine</b>"));
  clipboard.AddByOtherApp(kRichText, Bytes("{\\rtf1 mine}"));
  clipboard.AddByOtherApp(cf::kDib, FakeClipboard::Picture());
  clipboard.AddByOtherApp(cf::kDibV5, Bytes("v5 picture"));
  clipboard.AddByOtherApp(cf::kHDrop, Bytes("C:\\a.txt"));
  const std::vector<uint32_t> before = clipboard.Formats();

  const ClipboardSnapshot saved = text.Save();
  // The system makes CF_TEXT, CF_OEMTEXT and CF_BITMAP again; they are not even asked for.
  EXPECT_EQ(FormatsOf(saved), (std::vector<uint32_t>{cf::kUnicodeText, cf::kLocale, kHtml,
                                                     kRichText, cf::kDib, cf::kDibV5, cf::kHDrop}));
  for (uint32_t synthesised : {cf::kText, cf::kOemText, cf::kBitmap})
    EXPECT_FALSE(Queried(clipboard, synthesised)) << synthesised;

  text.Offer(u"pasted", ClipboardUse::ToPaste);
  log.clear();
  text.Restore(saved);
  EXPECT_EQ(clipboard.Formats(), before);
  EXPECT_EQ(clipboard.text, u"mine");
  EXPECT_FALSE(clipboard.excluded);
  EXPECT_EQ(*clipboard.Data(kHtml), Bytes("<b>mine</b>"));
  EXPECT_EQ(*clipboard.Data(cf::kDib), FakeClipboard::Picture());
  EXPECT_EQ(Normalize(log, true),
            (Log{"open", "write \"mine\"", "write 0x10 (4 bytes)", "write 0xC0A1 (11 bytes)",
                 "write 0xC0A2 (12 bytes)", "write 0x08 (48 bytes)", "write 0x11 (10 bytes)",
                 "write 0x0F (8 bytes)", "close"}));
}

TEST_F(ClipboardSnapshotTest, HandlesOwnerDrawnAndUnreadableFormatsAreLeftOut) {
  clipboard.SetPictureOnly();
  for (uint32_t handle : {cf::kMetafilePict, cf::kPalette, cf::kEnhMetafile, 0x80u, 0x82u, 0x8Eu,
                          0x200u, 0x2FFu, 0x300u, 0x3FFu})
    clipboard.AddByOtherApp(handle, Bytes("handle"));
  clipboard.AddByOtherApp(kOleWindow, Bytes("hwnd"));
  clipboard.AddByOtherApp(kRichText, Bytes("not memory"), /*readable=*/false);
  clipboard.AddByOtherApp(kHtml, Bytes("<i>kept</i>"));

  const ClipboardSnapshot saved = text.Save();
  EXPECT_EQ(FormatsOf(saved), (std::vector<uint32_t>{cf::kDib, kHtml}));
  EXPECT_EQ(clipboard.queried, (std::vector<uint32_t>{cf::kDib, kRichText, kHtml}));
  text.Restore(saved);
  EXPECT_EQ(clipboard.Formats(), (std::vector<uint32_t>{cf::kDib, kHtml, cf::kBitmap}));
}

TEST_F(ClipboardSnapshotTest, AnsiTextIsKeptWhenThereIsNoUnicodeText) {
  clipboard.AddByOtherApp(cf::kOemText, Bytes("oem"));
  clipboard.AddByOtherApp(cf::kText, Bytes("ansi"));
  EXPECT_EQ(FormatsOf(text.Save()), (std::vector<uint32_t>{cf::kOemText, cf::kText}));
}

TEST_F(ClipboardSnapshotTest, OverTheLimitTheTextStaysAndTheRestWhileItFits) {
  clipboard.SetByOtherApp(std::u16string(30, u'x'));  // 62 bytes with its NUL
  clipboard.AddByOtherApp(cf::kDib, std::vector<uint8_t>(50));
  clipboard.AddByOtherApp(kHtml, std::vector<uint8_t>(30));
  clipboard.AddByOtherApp(kRichText, std::vector<uint8_t>(8));  // exactly fills the limit
  EXPECT_EQ(FormatsOf(text.Save(100)), (std::vector<uint32_t>{cf::kUnicodeText, kHtml, kRichText}));
  // Text larger than the limit on its own is still kept; nothing else is.
  EXPECT_EQ(FormatsOf(text.Save(40)), (std::vector<uint32_t>{cf::kUnicodeText}));
  EXPECT_EQ(text.Save(40)[0].bytes.size(), 62u);
}

// A 4K screenshot (33 MB) is kept whole; an owner that renders slowly, when asked, is asked
// for no more once the snapshot has taken its time, and the text is read first and kept.
TEST_F(ClipboardSnapshotTest, LargePicturesAreKeptAndSlowOwnersAreNotWaitedForLong) {
  clipboard.AddByOtherApp(cf::kDib, std::vector<uint8_t>(std::size_t{33} << 20, 7));
  clipboard.SetByOtherApp(u"mine");
  clipboard.AddByOtherApp(cf::kDib, std::vector<uint8_t>(std::size_t{33} << 20, 7));
  EXPECT_EQ(FormatsOf(text.Save()), (std::vector<uint32_t>{cf::kUnicodeText, cf::kDib}));

  clipboard.AddByOtherApp(kHtml, Bytes("<b>x</b>"));
  clipboard.AddByOtherApp(kRichText, Bytes("{\\rtf1 x}"));
  clipboard.on_read = [this](uint32_t) { pump.slept_ms += 300; };
  clipboard.queried.clear();
  EXPECT_EQ(FormatsOf(text.Save()), (std::vector<uint32_t>{cf::kUnicodeText, cf::kDib}));
  EXPECT_FALSE(Queried(clipboard, kHtml));
  EXPECT_FALSE(Queried(clipboard, kRichText));
}

// An owner that renders its formats only when asked, and hangs: nothing more is asked of it, and
// the snapshot ends at once rather than holding the user's keys without end.
TEST_F(ClipboardSnapshotTest, AHungOwnerIsNotAskedForItsFormats) {
  clipboard.SetByOtherApp(u"mine");
  clipboard.AddByOtherApp(kHtml, Bytes("<b>mine</b>"));
  clipboard.owner_hung = true;
  EXPECT_TRUE(text.Save().empty());
  EXPECT_TRUE(clipboard.queried.empty());
  EXPECT_EQ(text.Read(), u"");
}

// The paste's text is lent to the process of the focused field, which in an app that runs in a
// frame is not the frame's; a clipboard monitor gets nothing.
TEST(OfferReaderTest, TheFocusedFieldsProcessReadsTheOfferAndAMonitorDoesNot) {
  constexpr uint32_t kFrame = 10, kApp = 20, kMonitor = 30;
  EXPECT_TRUE(MayReadOffer(kApp, kFrame, kApp));
  EXPECT_TRUE(MayReadOffer(kFrame, kFrame, kApp));
  EXPECT_TRUE(MayReadOffer(kApp, kApp, 0));
  EXPECT_FALSE(MayReadOffer(kMonitor, kFrame, kApp));
  EXPECT_TRUE(MayReadOffer(0, kFrame, kApp));  // no window: cannot be told apart
}

// The program ends while a paste's text is still unread: the user's own clipboard comes back.
TEST_F(ClipboardSnapshotTest, EndingWhileAnOfferIsUnreadGivesTheUsersClipboardBack) {
  clipboard.SetByOtherApp(u"mine");
  {
    ClipboardText ending{clipboard, pump};
    ClipboardLoan loan(ending);
    loan.Offer(u"converted");
    loan.Return();  // unread: given back once read, or at the end
    EXPECT_TRUE(clipboard.offering);
  }
  EXPECT_FALSE(clipboard.offering);
  EXPECT_EQ(clipboard.ReadByMonitor(), u"mine");
}

TEST_F(ClipboardSnapshotTest, EmptyClipboardIsNotOpenedAndStaysEmpty) {
  const ClipboardSnapshot saved = text.Save();
  EXPECT_TRUE(saved.empty());
  EXPECT_TRUE(log.empty());
  text.Offer(u"pasted", ClipboardUse::ToPaste);
  log.clear();
  text.Restore(saved);
  EXPECT_EQ(log, (Log{"open", "close"}));
  EXPECT_TRUE(clipboard.Formats().empty());
  EXPECT_FALSE(clipboard.excluded);
}

TEST_F(ClipboardSnapshotTest, RefusedFormatIsRaisedAfterTheOthersAreBack) {
  clipboard.SetByOtherApp(u"mine");
  clipboard.AddByOtherApp(cf::kDib, FakeClipboard::Picture());
  clipboard.AddByOtherApp(kHtml, Bytes("<b>mine</b>"));
  const ClipboardSnapshot saved = text.Save();
  clipboard.refused_formats = {cf::kDib};
  try {
    text.Restore(saved);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Out of system resources");
  }
  EXPECT_EQ(clipboard.text, u"mine");
  EXPECT_NE(clipboard.Data(kHtml), nullptr);
  EXPECT_EQ(log.back(), "close");
}

TEST_F(ClipboardSnapshotTest, BusyClipboardIsWaitedForOnBothWays) {
  clipboard.SetByOtherApp(u"mine");
  clipboard.busy_opens = 2;
  const ClipboardSnapshot saved = text.Save();
  clipboard.busy_opens = 2;
  text.Offer(u"pasted", ClipboardUse::ToPaste);
  clipboard.busy_opens = 1000;
  EXPECT_THROW(text.Restore(saved), Error);
  EXPECT_EQ(clipboard.text, u"pasted");  // a restore that cannot open leaves the pasted text
}

}  // namespace
}  // namespace ravak
