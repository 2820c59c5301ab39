// The pipe driver itself, on small shell programs: deadlines, partial reads,
// full pipes, exit statuses and the temporary directory.
#include "engine_process.h"

#include <sys/stat.h>

#include <string>

#include "gtest/gtest.h"

namespace {

bool Directory_exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

TEST(EngineProcess, RunsInAFreshDirectoryThatIsRemovedAfterwards) {
  std::string directory;
  {
    Engine_process shell("/bin/sh", {"-c", "pwd; ls -A; echo made > here.txt"});
    ASSERT_TRUE(shell.started());
    directory = shell.directory();
    EXPECT_EQ(shell.read_all(5000), directory + "\n");
    EXPECT_EQ(shell.wait_exit(5000), 0);
    std::string contents;
    ASSERT_TRUE(shell.read_file("here.txt", &contents));
    EXPECT_EQ(contents, "made\n");
  }
  EXPECT_FALSE(Directory_exists(directory));
}

TEST(EngineProcess, HangingProgramIsKilledAtTheDeadline) {
  Engine_process shell("/bin/sh", {"-c", "exec sleep 30"});
  long long start = Now_ms();
  EXPECT_EQ(shell.wait_exit(200), STATUS_TIMED_OUT);
  EXPECT_LT(Now_ms() - start, 5000);
  EXPECT_EQ(shell.wait_exit(0), STATUS_TIMED_OUT) << "the status is kept";
}

TEST(EngineProcess, ReadUntilPrefixStopsAtTheMatchOrGivesUpWithoutConsuming) {
  Engine_process shell("/bin/sh", {"-c", "echo one; echo two; echo twenty; exec sleep 30"});
  std::string line;
  std::string before;
  EXPECT_FALSE(shell.read_until_prefix("three", 300, &line, &before));
  EXPECT_EQ(before, "one\ntwo\ntwenty\n");
  ASSERT_TRUE(shell.read_until_prefix("tw", 1000, &line, &before));
  EXPECT_EQ(line, "two");
  EXPECT_EQ(before, "one\n");
  EXPECT_EQ(shell.read_for(100), "twenty\n");
  EXPECT_EQ(shell.transcript(), "one\ntwo\ntwenty\n");
}

TEST(EngineProcess, EchoesInputAndSeesTheEndOfIt) {
  Transcript t = Run_program_transcript("/bin/cat", "uci\nlast line");
  EXPECT_EQ(t.output, "uci\nlast line");
  EXPECT_EQ(t.status, 0);
}

TEST(EngineProcess, ProgramWritingMoreThanAPipeHoldsCanEnd) {
  // Sending and waiting both drain the output, so neither side blocks.
  Engine_process shell("/bin/sh", {"-c", "head -c 300000 /dev/zero; cat > /dev/null; exit 3"});
  EXPECT_TRUE(shell.send(std::string(300000, 'x')));
  shell.close_input();
  EXPECT_EQ(shell.wait_exit(10000), 3);
  EXPECT_EQ(shell.read_all(1000).size(), 300000u);
}

TEST(EngineProcess, ReportsSignalsAndFailedStarts) {
  Engine_process shell("/bin/sh", {"-c", "kill -TERM $$"});
  EXPECT_EQ(shell.wait_exit(5000), STATUS_SIGNAL_BASE + 15);

  Engine_process missing("/nonexistent/engine");
  EXPECT_FALSE(missing.started());
  EXPECT_EQ(missing.wait_exit(100), STATUS_NOT_STARTED);
  EXPECT_FALSE(missing.send_line("uci"));
}

TEST(EngineProcess, SendFailsOnceTheProgramHasEnded) {
  Engine_process shell("/bin/sh", {"-c", "exit 0"});
  EXPECT_EQ(shell.wait_exit(5000), 0);
  EXPECT_FALSE(shell.send(std::string(100000, 'x')));
}

TEST(Cp1251Text, ConvertsCyrillicAndKeepsAscii) {
  EXPECT_EQ(Cp1251("Aя Ёё\n"), "A\xFF \xA8\xB8\n");
  EXPECT_EQ(Cp1251("памяти нет "), "\xEF\xE0\xEC\xFF\xF2\xE8 \xED\xE5\xF2 ");
}

}  // namespace
