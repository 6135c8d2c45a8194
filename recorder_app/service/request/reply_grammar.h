// The line grammar of the service's replies to "/publish.php": a first line that says OK or
// FAIL, then one line per podcast. Plain logic on UTF-8 bytes, no window or system calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A reply from a script an editor saved as "UTF-8 with BOM" begins with the bytes EF BB BF,
// which are no part of its text: their count here, or 0.
size_t ByteOrderMarkBytes(const std::string& reply);

// Reads a reply line by line, after any byte order mark. Every run of CR and LF separates
// lines, so blank lines never show up; an empty line means that nothing is left.
class ReplyLineReader {
public:
    explicit ReplyLineReader(const std::string& reply) : m_reply(reply), m_cursor(ByteOrderMarkBytes(reply)) {}
    std::string NextLine();

private:
    const std::string& m_reply;
    size_t m_cursor;
};

// One podcast line, "<id> <siteName> <name>", texts still in UTF-8.
struct ReplyPodcastLine {
    int32_t id = 0;
    std::string siteName;
    std::string name;
};

// A line that is not of that form still gives an entry, so one odd line never hides the rest
// of the list: digits that do not fit become the largest id, and a line without a name part
// is listed under its site name.
ReplyPodcastLine ParsePodcastLine(const std::string& line);

enum class ReplyOutcome { Ok, Nothing, Failed };

// A real account has a handful of podcasts; a reply that lists more is cut here, so that a
// hostile one cannot fill the podcast list with a million entries.
constexpr size_t kMaxPodcastEntries = 1000;

struct ParsedReply {
    ReplyOutcome outcome = ReplyOutcome::Nothing;
    std::string failMessage;  // UTF-8; empty when the server gave no "FAIL " message
    std::vector<ReplyPodcastLine> podcasts;  // at most kMaxPodcastEntries, the first ones
};

ParsedReply ParseServiceReply(const std::string& reply);

// Whether the reply's first line has arrived whole (a line break follows it) and begins with
// "OK": what the service says once it has taken a publication, whatever came after it.
bool WholeFirstLineSaysOk(const std::string& reply);
