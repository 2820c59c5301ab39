// The line reader over real pipes: line ends, the length limit, the end of
// input, read errors and the no-wait input test.
#include "platform/line_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "gtest/gtest.h"

namespace {

// A pipe whose read end feeds a reader; the write end stays open until closed.
struct Pipe_feed {
  int read_fd = -1;
  int write_fd = -1;
  T_Line_reader reader;
  std::string text = std::string(LINE_CAPACITY, 'x');  // room for a line, pre-filled with junk

  Pipe_feed() {
    int fds[2];
    if (pipe(fds) == 0) {
      read_fd = fds[0];
      write_fd = fds[1];
    }
    Line_reader_init(&reader, read_fd);
  }
  ~Pipe_feed() {
    close_writer();
    if (read_fd >= 0) close(read_fd);
  }
  void write_all(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t count = write(write_fd, bytes.data() + done, bytes.size() - done);
      ASSERT_GT(count, 0);
      done += static_cast<size_t>(count);
    }
  }
  void close_writer() {
    if (write_fd >= 0) close(write_fd);
    write_fd = -1;
  }
  bool read() { return Line_reader_read(&reader, &text[0]); }
  std::string line() const { return std::string(text.c_str()); }
};

TEST(LineReader, SplitsLinesAndDropsOnlyTheCarriageReturnBeforeTheLineFeed) {
  Pipe_feed feed;
  feed.write_all("uci\nisready\r\n\n\r\na\rb\n\r\r\nlast");
  feed.close_writer();
  const char* expected[] = {"uci", "isready", "", "", "a\rb", "\r", "last"};
  for (const char* line : expected) {
    ASSERT_TRUE(feed.read()) << "expected line " << line;
    EXPECT_EQ(feed.line(), line);
  }
  EXPECT_FALSE(feed.read());
  EXPECT_FALSE(feed.read()) << "the end of input stays the end";
}

TEST(LineReader, EndOfInputBeforeAnyCharacterFails) {
  Pipe_feed feed;
  feed.close_writer();
  EXPECT_FALSE(feed.read());
  EXPECT_EQ(feed.line(), "");
}

TEST(LineReader, DropsACarriageReturnThatEndsTheInput) {
  Pipe_feed feed;
  feed.write_all("stop\r");
  feed.close_writer();
  ASSERT_TRUE(feed.read());
  EXPECT_EQ(feed.line(), "stop");
  EXPECT_FALSE(feed.read());
}

TEST(LineReader, JoinsALineThatArrivesInPieces) {
  Pipe_feed feed;
  std::thread writer([&feed] {
    feed.write_all("posi");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    feed.write_all("tion startpos\nqu");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    feed.write_all("it\n");
  });
  ASSERT_TRUE(feed.read());
  EXPECT_EQ(feed.line(), "position startpos");
  ASSERT_TRUE(feed.read());
  EXPECT_EQ(feed.line(), "quit");
  writer.join();
}

// Lines at and around the 65,535-character limit, written by a second thread
// since they do not fit in a pipe.
class LongLines : public ::testing::Test {
 protected:
  Pipe_feed feed;
  std::thread writer;
  void feed_in_background(const std::string& bytes) {
    writer = std::thread([this, bytes] {
      feed.write_all(bytes);
      feed.close_writer();
    });
  }
  void TearDown() override {
    // A failed read leaves bytes unread; drain them so the writer can finish.
    char sink[4096];
    while (::read(feed.read_fd, sink, sizeof sink) > 0) {
    }
    writer.join();
  }
};

TEST_F(LongLines, LineOfExactlyTheLimitIsRead) {
  const std::string longest(LINE_MAX_CHARS, 'a');
  feed_in_background(longest + "\n" + longest + "\r\nnext\n");
  ASSERT_TRUE(feed.read());
  EXPECT_EQ(feed.line(), longest);
  ASSERT_TRUE(feed.read()) << "CR LF after a full buffer still ends the line";
  EXPECT_EQ(feed.line(), longest);
  ASSERT_TRUE(feed.read());
  EXPECT_EQ(feed.line(), "next");
}

TEST_F(LongLines, LineOfTheLimitAtTheEndOfInputIsRead) {
  const std::string longest(LINE_MAX_CHARS, 'b');
  feed_in_background(longest);
  ASSERT_TRUE(feed.read());
  EXPECT_EQ(feed.line().size(), static_cast<size_t>(LINE_MAX_CHARS));
  EXPECT_FALSE(feed.read());
}

TEST_F(LongLines, OneCharacterMoreFails) {
  feed_in_background(std::string(LINE_MAX_CHARS + 1, 'c') + "\nuci\n");
  EXPECT_FALSE(feed.read());
}

TEST_F(LongLines, CarriageReturnNotFollowedByLineFeedAfterAFullBufferFails) {
  feed_in_background(std::string(LINE_MAX_CHARS, 'd') + "\rx\n");
  EXPECT_FALSE(feed.read());
}

TEST(LineReader, ReadErrorFails) {
  Pipe_feed feed;
  // Reading the write end of a pipe is an error (EBADF), not the end of input.
  Line_reader_init(&feed.reader, feed.write_fd);
  EXPECT_FALSE(feed.read());
}

TEST(LineReaderAvailable, ReportsPipeContentsWithoutConsumingThem) {
  Pipe_feed feed;
  EXPECT_EQ(Line_reader_available(&feed.reader), 0u) << "open, empty pipe";
  feed.write_all("stop\nisready\n");
  EXPECT_NE(Line_reader_available(&feed.reader), 0u);
  EXPECT_NE(Line_reader_available(&feed.reader), 0u) << "asking twice changes nothing";
  ASSERT_TRUE(feed.read());
  EXPECT_EQ(feed.line(), "stop");
  // The second line now sits in the reader's own buffer, not in the pipe.
  EXPECT_NE(Line_reader_available(&feed.reader), 0u);
  ASSERT_TRUE(feed.read());
  EXPECT_EQ(feed.line(), "isready");
  EXPECT_EQ(Line_reader_available(&feed.reader), 0u) << "everything consumed, writer still open";
}

TEST(LineReaderAvailable, HungUpOrInvalidInputCountsAsWaiting) {
  Pipe_feed feed;
  feed.close_writer();
  EXPECT_NE(Line_reader_available(&feed.reader), 0u);
  EXPECT_FALSE(feed.read()) << "and the read that follows reports the end";

  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  close(fds[1]);
  T_Line_reader closed;
  Line_reader_init(&closed, fds[0]);
  EXPECT_NE(Line_reader_available(&closed), 0u);
}

}  // namespace
