#include "reply_grammar.h"
#include <limits>

namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

size_t SkipSpaces(const std::string& line, size_t at) {
    while (at < line.size() && line[at] == ' ') ++at;
    return at;
}

}  // namespace

size_t ByteOrderMarkBytes(const std::string& reply) { return reply.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; }

std::string ReplyLineReader::NextLine() {
    while (m_cursor < m_reply.size() && IsLineBreak(m_reply[m_cursor])) ++m_cursor;
    const size_t start = m_cursor;
    while (m_cursor < m_reply.size() && !IsLineBreak(m_reply[m_cursor])) ++m_cursor;
    return m_reply.substr(start, m_cursor - start);
}

ReplyPodcastLine ParsePodcastLine(const std::string& line) {
    ReplyPodcastLine entry;
    size_t at = 0;
    int64_t id = 0;
    constexpr int64_t kLargestId = std::numeric_limits<int32_t>::max();
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
        id = id * 10 + (line[at] - '0');
        if (id > kLargestId) id = kLargestId;
    }
    entry.id = static_cast<int32_t>(id);

    at = SkipSpaces(line, at);
    const size_t siteEnd = line.find(' ', at);
    entry.siteName = line.substr(at, siteEnd == std::string::npos ? std::string::npos : siteEnd - at);
    if (siteEnd != std::string::npos) entry.name = line.substr(SkipSpaces(line, siteEnd));
    if (entry.name.empty()) entry.name = entry.siteName;
    return entry;
}

ParsedReply ParseServiceReply(const std::string& reply) {
    ParsedReply parsed;
    ReplyLineReader reader(reply);
    const std::string first = reader.NextLine();
    if (first.empty()) {
        parsed.outcome = ReplyOutcome::Nothing;
        return parsed;
    }
    if (first.compare(0, 2, "OK") == 0) {
        parsed.outcome = ReplyOutcome::Ok;
        for (std::string line = reader.NextLine(); !line.empty() && parsed.podcasts.size() < kMaxPodcastEntries;
             line = reader.NextLine())
            parsed.podcasts.push_back(ParsePodcastLine(line));
        return parsed;
    }
    parsed.outcome = ReplyOutcome::Failed;
    constexpr char kFailMarker[] = "FAIL ";
    constexpr size_t kMessageStart = sizeof kFailMarker - 1;
    // The message starts at a fixed column: the service puts "FAIL " at the start of the line.
    if (first.find(kFailMarker) != std::string::npos) parsed.failMessage = first.substr(kMessageStart);
    return parsed;
}

bool WholeFirstLineSaysOk(const std::string& reply) {
    size_t at = ByteOrderMarkBytes(reply);
    while (at < reply.size() && IsLineBreak(reply[at])) ++at;
    return reply.compare(at, 2, "OK") == 0 && reply.find_first_of("\r\n", at) != std::string::npos;
}
