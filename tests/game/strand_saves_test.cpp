// Where strand sets are saved, and saves under faults: a read-only folder, a
// full disk, a kill in the middle of saving.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "core/notice.h"
#include "core/write_folder.h"
#include "game/strand_files.h"
#include "storage/archive_writer.h"
#include "support/fault_folder.h"
#include "support/test_support.h"

namespace {
// `n` strands of three points, the file growing by 51 bytes a strand.
void MakeSet(CSpline& set, int n) {
  set.Clear();
  ASSERT_TRUE(set.Resize(n, -1));
  for (int s = 0; s < n; ++s) {
    ASSERT_TRUE(set.Resize(s, 3));
    for (int k = 0; k < 3; ++k) set.local[s][k] = vec3(s, 0, k);
  }
}

std::vector<uint8_t> FileOf(const std::string& path) {
  std::vector<uint8_t> bytes;
  ReadWholeFile(path, &bytes);
  return bytes;
}
}  // namespace

// The old file stays byte for byte and no temporary file is left when the
// new one can't be written: the folder is read-only, or the disk fills up.
TEST(StrandSaves, AReadOnlyFolderOrAFullDiskKeepTheOldFile) {
  for (const bool full : {false, true}) {
    SCOPED_TRACE(full ? "full disk" : "read-only");
    TempDir dir;
    ScratchMount mount(dir.path(), full ? 8192 : 1 << 16);
    g_writeFolder = dir.path() + "/";
    CSpline small, big;
    MakeSet(small, 1);
    MakeSet(big, 400);  // 20 KB: more than the 8 KB disk holds
    ASSERT_TRUE(SaveStrandFile(small, "KT.Line"));
    EXPECT_STREQ(NoticeAt(NoticeCount() - 1).text, ("Saved " + g_writeFolder + "KT.Line").c_str());
    const std::vector<uint8_t> old = FileOf(g_writeFolder + "KT.Line");
    ASSERT_EQ(old.size(), 5u + 51);
    rlimit limit{}, saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    int expected = mount.mounted() ? EROFS : EACCES;
    if (full && !mount.mounted()) {  // no tmpfs to fill: the size limit fails the write instead
      signal(SIGXFSZ, SIG_IGN);
      limit = saved;
      limit.rlim_cur = 4096;
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (full) expected = mount.mounted() ? ENOSPC : EFBIG;
    if (!full && !mount.MakeReadOnly()) {
      g_writeFolder.clear();
      GTEST_SKIP() << "no way to make a folder read-only here";
    }
    LogCapture log;
    EXPECT_FALSE(SaveStrandFile(big, "KT.Line"));
    setrlimit(RLIMIT_FSIZE, &saved);
    const std::string path = g_writeFolder + "KT.Line", reason = std::strerror(expected);
    EXPECT_TRUE(log.Contains("WARNING::Spline::(" + path + ") can't save: " + reason));
    EXPECT_STREQ(NoticeAt(NoticeCount() - 1).text, ("can't save " + path + ": " + reason).c_str());
    EXPECT_EQ(FileOf(path), old);
    EXPECT_NE(access((path + ".saving").c_str(), F_OK), 0);
    g_writeFolder.clear();
  }
}

// Killed at any moment of repeated saves, the Line file is one whole save,
// and the temporary file a kill leaves is never read for it.
TEST(StrandSaves, AKillWhileSavingLeavesOneWholeSave) {
  TempDir dir(true);
  CSpline a, b;
  MakeSet(a, 1);
  MakeSet(b, 300);
  const std::vector<uint8_t> imageA = a.Encode(), imageB = b.Encode();
  ASSERT_TRUE(a.Save("KT.Line"));
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      b.Save("KT.Line");
      if (write(ready[1], "!", 1) != 1) _exit(1);
      for (;;) {
        a.Save("KT.Line");
        b.Save("KT.Line");
      }
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);  // one save done: kill during the next ones
    close(ready[0]);
    close(ready[1]);
    usleep(100 + random() % 4000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::vector<uint8_t> file = FileOf("KT.Line");
    ASSERT_TRUE(file == imageA || file == imageB) << "round " << round << ": " << file.size();
  }
  ASSERT_TRUE(b.Save("KT.Line"));
  dir.Write("KT.Line.saving", "SH3");  // what a kill leaves: a cut-short temporary file
  CSpline loaded;
  ASSERT_TRUE(loaded.Load("KT.Line"));
  EXPECT_EQ(loaded.Encode(), imageB);
  ASSERT_TRUE(a.Save("KT.Line"));  // and the next save replaces it
  EXPECT_EQ(FileOf("KT.Line"), imageA);
  EXPECT_NE(access("KT.Line.saving", F_OK), 0);
}
