// Loading with thumbnails made ahead on worker threads: the host hears the
// same events, in the same order, with the same arguments, and ends with
// the same pictures, whether no worker, one or four make them; Cancel set
// from an event stops the work at once; the host changing the list from an
// event, or dropping the control with work in flight, loses nothing and
// leaks no handle (libmv7com.so's own block count is the witness).
#include <QCoreApplication>
#include <QCryptographicHash>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "thumb/testing/thumb_fixture.h"

namespace thumb::testing {
namespace {

using hosting::Variant;
using hosting::VarType;

// Everything the host can observe of one run: each event with all its
// arguments, the entries left, each one's picture bytes, and ErrorStatus.
struct Observed {
  std::vector<std::string> events;
  std::vector<std::string> entries;
  int status = 0;
  bool operator==(const Observed&) const = default;
};

std::string EventText(const Event& e) {
  std::string s = std::to_string(e.id);
  for (const Variant& v : e.args) {
    s += '|';
    s += v.type() == VarType::kBstr ? QString::fromStdU16String(v.AsString()).toStdString()
                                    : std::to_string(v.AsI4());
  }
  return s;
}

std::string PictureDigest(MVHANDLE h) {
  const void* p = MVGlobalLock(h);
  if (p == nullptr) return "none";
  const QByteArray bytes(static_cast<const char*>(p), static_cast<qsizetype>(MVGlobalSize(h)));
  MVGlobalUnlock(h);
  return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toStdString();
}

class PoolLoadingTest : public ThumbTest {
 protected:
  void Folder(int mode, int cols = 2, int rows = 2) {
    ASSERT_EQ(Put(kFilePath, Variant::Bstr(QString::fromStdString(dir_.path()).toStdU16String())), hosting::S_OK);
    ASSERT_EQ(Put(kReadMode, Variant::I2(static_cast<int16_t>(mode))), hosting::S_OK);
    ASSERT_EQ(Put(kSort, Variant::I2(1)), hosting::S_OK);
    ASSERT_EQ(Put(kColCount, Variant::I2(static_cast<int16_t>(cols))), hosting::S_OK);
    ASSERT_EQ(Put(kRowCount, Variant::I2(static_cast<int16_t>(rows))), hosting::S_OK);
  }
  // `count` pictures n00.png..., every `broken_every`-th one undecodable.
  void ManyFiles(int count, int broken_every, int w = 120, int h = 90) {
    for (int i = 0; i < count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "n%02d.png", i);
      if (broken_every > 0 && i % broken_every == broken_every - 1) ASSERT_TRUE(dir_.BrokenPng(name));
      else ASSERT_TRUE(dir_.Picture(name, w + i, h + (i * 7) % 40, QColor::fromHsv(i * 37 % 360, 200, 220)));
    }
  }
  Observed Snapshot() {
    Observed o;
    for (const Event& e : events_) o.events.push_back(EventText(e));
    for (const file_list::ThumbnailEntry& e : control_->Entries().entries())
      o.entries.push_back(e.file_name + "#" + std::to_string(e.image_number) + "=" + PictureDigest(e.image));
    o.status = Status();
    return o;
  }
  // Runs `scenario` afresh with 0 (everything on this thread), 1 and 4
  // workers; the last two must match the first exactly.
  template <typename F>
  void SameWithAnyWorkers(F scenario) {
    Observed reference;
    for (int threads : {0, 1, 4}) {
      SCOPED_TRACE(threads);
      control_->Clear();
      control_->SetLoadThreads(threads);
      ASSERT_EQ(control_->LoadThreads(), threads);
      events_.clear();
      scenario();
      const Observed seen = Snapshot();
      if (threads == 0) {
        reference = seen;
        ASSERT_FALSE(reference.events.empty());
      } else {
        EXPECT_EQ(seen.events, reference.events);
        EXPECT_EQ(seen.entries, reference.entries);
        EXPECT_EQ(seen.status, reference.status);
      }
    }
  }
  std::vector<std::pair<int, int>> Numbers(DispId id) const {
    std::vector<std::pair<int, int>> out;
    for (const Event& e : EventsOf(id)) out.push_back({e.Int(2), e.Int(3)});
    return out;
  }
  // Scrolls a paint-loading grid to every screenful in turn.
  void PaintEveryScreen() {
    ASSERT_TRUE(Call(kDisplay));
    const int n = static_cast<int>(control_->Entries().size());
    for (int start = 4; start < n; start += 4) {
      Put(kStartNum, Variant::I2(static_cast<int16_t>(start)));
      control_->grab();
    }
  }
};

TEST_F(PoolLoadingTest, ThreeFilesSecondBrokenUnderAnyWorkers) {
  ASSERT_TRUE(dir_.Picture("a.png", 64, 48, Qt::red));
  ASSERT_TRUE(dir_.BrokenPng("b.png"));
  ASSERT_TRUE(dir_.Picture("c.png", 30, 60, Qt::blue));
  using P = std::vector<std::pair<int, int>>;
  Folder(mvThumbRd);
  SameWithAnyWorkers([&] {
    ASSERT_TRUE(Call(kGetFiles));
    EXPECT_EQ(Numbers(kEventStartLoadFile), (P{{1, 3}, {2, 3}, {2, 2}}));
    EXPECT_EQ(Numbers(kEventEndLoadFile), (P{{1, 3}, {1, 2}, {2, 2}}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.png", "c.png"}));
  });
  Folder(mvThumbRdDsp);
  SameWithAnyWorkers([&] {
    ASSERT_TRUE(Call(kGetFiles));
    ASSERT_TRUE(Call(kDisplay));
    EXPECT_EQ(Numbers(kEventStartLoadFile), (P{{1, 3}, {2, 3}, {2, 2}}));
    EXPECT_EQ(Numbers(kEventEndLoadFile), (P{{1, 3}, {2, 2}, {2, 2}}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.png", "c.png"}));
  });
}

TEST_F(PoolLoadingTest, MultiImageAndManyFilesUnderAnyWorkers) {
  ASSERT_TRUE(MultiPageTiff(dir_.File("m.tif"), 3));
  ManyFiles(30, 7);
  Folder(mvThumbRdMultiImg);
  SameWithAnyWorkers([&] { ASSERT_TRUE(Call(kGetFiles)); });
  EXPECT_EQ(control_->Entries().size(), 33u - 4u);  // 4 broken files removed, 3 pages kept
  // Loading on paint, a screen at a time, multi-image and single.
  Folder(mvThumbRdDspMultiImg);
  SameWithAnyWorkers([&] {
    ASSERT_TRUE(Call(kGetFiles));
    PaintEveryScreen();
  });
  Folder(mvThumbRdDsp, 3, 2);
  ASSERT_EQ(Put(kScrollVH, Variant::I2(mvThumbHorizontal)), hosting::S_OK);
  SameWithAnyWorkers([&] {
    ASSERT_TRUE(Call(kGetFiles));
    PaintEveryScreen();
  });
}

TEST_F(PoolLoadingTest, HostChangingTheListFromAnEvent) {
  ManyFiles(20, 0);
  Folder(mvThumbRd);
  // At the 5th file the host deletes the 2nd entry, so the list moves under
  // the pictures made ahead; at the 9th it changes ImageSize, so every
  // picture made ahead for the old size is unwanted; at the 12th it deletes
  // the 1st entry.
  bool armed = false;
  control_->AddEventListener([&](DispId id, const std::vector<Variant>& args) {
    if (!armed || id != kEventStartLoadFile) return;
    const int n = args.at(2).AsI4();
    if (n == 5) {
      EXPECT_TRUE(Call(kDelete, {Variant::I2(2)}));
    } else if (n == 9) {
      Put(kImageSize, Variant::I2(64));
    } else if (n == 12) {
      EXPECT_TRUE(Call(kDelete, {Variant::I2(1)}));
    }
  });
  SameWithAnyWorkers([&] {
    ASSERT_EQ(Put(kImageSize, Variant::I2(96)), hosting::S_OK);
    armed = true;
    ASSERT_TRUE(Call(kGetFiles));
    armed = false;
  });
  for (const file_list::ThumbnailEntry& e : control_->Entries().entries()) {
    const QSize size = HandleSize(e.image);
    EXPECT_EQ(std::max(size.width(), size.height()), e.file_name < "n09" ? 96 : 64) << e.file_name;
  }
}

// Cancel set in StartLoadFile of the 3rd of 50 files.
void CancelAtThirdOfFifty(CMorvikThumb* control, const std::function<void()>& get_files) {
  control->AddEventListener([control](DispId id, const std::vector<Variant>& args) {
    if (id == kEventStartLoadFile && args.at(2).AsI4() == 3) control->PutProperty(kCancel, Variant::Bool(true));
  });
  control->SetLoadThreads(4);
  get_files();
}

TEST_F(PoolLoadingTest, CancelFromTheThirdOfFiftyStopsEverythingAfter) {
  ManyFiles(50, 0, 400, 300);
  Folder(mvThumbRd);
  const size_t baseline = MVGlobalCount();
  CancelAtThirdOfFifty(control_, [&] { ASSERT_TRUE(Call(kGetFiles)); });
  const std::vector<Event> starts = EventsOf(kEventStartLoadFile);
  const std::vector<Event> ends = EventsOf(kEventEndLoadFile);
  ASSERT_EQ(starts.size(), 3u);
  ASSERT_EQ(ends.size(), 3u);
  EXPECT_EQ(events_.back().id, kEventEndLoadFile);  // nothing follows the 3rd's end
  EXPECT_EQ(ends[2].Int(2), 3);
  EXPECT_EQ(ends[2].Int(3), 50);
  EXPECT_EQ(ends[2].Text(1), u"n02.png");
  EXPECT_EQ(Status(), kStatusCancelled);
  EXPECT_EQ(Names(), (std::vector<std::string>{"n00.png", "n01.png", "n02.png"}));
  // Whatever the workers had made or were making is freed: once the work in
  // flight has arrived, the three thumbnails are the only new blocks.
  for (int i = 0; i < 400 && MVGlobalCount() != baseline + 3; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(MVGlobalCount(), baseline + 3);
  disp_.Reset();
  control_ = nullptr;
  EXPECT_EQ(MVGlobalCount(), baseline);
}

TEST_F(PoolLoadingTest, ProcessExitsCleanlyAfterCancelWithWorkInFlight) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ManyFiles(50, 0, 800, 600);
  Folder(mvThumbRd);
  // The host quits straight from GetFiles, without releasing the control,
  // while the workers may still be making the pictures after the 3rd.
  EXPECT_EXIT(
      {
        CancelAtThirdOfFifty(control_, [&] { Call(kGetFiles); });
        std::exit(Status() == kStatusCancelled && control_->Entries().size() == 3 ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(PoolLoadingTest, DroppingTheControlWithPaintWorkInFlight) {
  ManyFiles(40, 0, 800, 600);
  Folder(mvThumbRdDsp);
  const size_t baseline = MVGlobalCount();
  control_->SetLoadThreads(4);
  ASSERT_TRUE(Call(kGetFiles));
  ASSERT_TRUE(Call(kDisplay));  // the view loads, the next screens are made ahead
  EXPECT_EQ(EventsOf(kEventEndLoadFile).size(), 4u);
  disp_.Reset();
  control_ = nullptr;
  EXPECT_EQ(MVGlobalCount(), baseline);
}

}  // namespace
}  // namespace thumb::testing
