#include <gtest/gtest.h>
#include <string>
#include "service/request/reply_grammar.h"

namespace {

TEST(ReplyLineReader, SkipsEveryRunOfLineBreaks) {
    const std::string reply = "\r\n\r\nfirst\r\n\nsecond\rthird";
    ReplyLineReader reader(reply);
    EXPECT_EQ(reader.NextLine(), "first");
    EXPECT_EQ(reader.NextLine(), "second");
    EXPECT_EQ(reader.NextLine(), "third");
    EXPECT_EQ(reader.NextLine(), "");
    EXPECT_EQ(reader.NextLine(), "");
}

TEST(ReplyGrammar, OkAloneIsSuccessWithNoPodcasts) {
    const ParsedReply reply = ParseServiceReply("OK");
    EXPECT_EQ(reply.outcome, ReplyOutcome::Ok);
    EXPECT_TRUE(reply.podcasts.empty());
}

TEST(ReplyGrammar, LeadingBlankLinesAreSkipped) {
    const ParsedReply reply = ParseServiceReply("\r\n\r\nOK\r\n12 morningshow The Morning Show\r\n");
    ASSERT_EQ(reply.outcome, ReplyOutcome::Ok);
    ASSERT_EQ(reply.podcasts.size(), 1u);
    EXPECT_EQ(reply.podcasts[0].id, 12);
    EXPECT_EQ(reply.podcasts[0].siteName, "morningshow");
    EXPECT_EQ(reply.podcasts[0].name, "The Morning Show");
}

TEST(ReplyGrammar, AByteOrderMarkBeforeTheReplyIsNoPartOfIt) {
    const ParsedReply ok = ParseServiceReply("\xEF\xBB\xBFOK\r\n12 morningshow The Morning Show\r\n");
    EXPECT_EQ(ok.outcome, ReplyOutcome::Ok);
    EXPECT_EQ(ok.podcasts.size(), 1u);
    EXPECT_EQ(ParseServiceReply("\xEF\xBB\xBF" "FAIL Wrong password").failMessage, "Wrong password");
}

TEST(ReplyGrammar, AnythingBeginningWithOkIsSuccess) {
    EXPECT_EQ(ParseServiceReply("OKAY").outcome, ReplyOutcome::Ok);
    EXPECT_EQ(ParseServiceReply("OK whatever follows").outcome, ReplyOutcome::Ok);
    EXPECT_EQ(ParseServiceReply("Ok").outcome, ReplyOutcome::Failed);
    EXPECT_EQ(ParseServiceReply("O").outcome, ReplyOutcome::Failed);
}

TEST(ReplyGrammar, FailGivesTheMessageAfterIt) {
    const ParsedReply reply = ParseServiceReply("FAIL Wrong password\r\nmore");
    EXPECT_EQ(reply.outcome, ReplyOutcome::Failed);
    EXPECT_EQ(reply.failMessage, "Wrong password");
}

TEST(ReplyGrammar, FailureWithoutFailHasNoMessage) {
    const ParsedReply reply = ParseServiceReply("Internal error");
    EXPECT_EQ(reply.outcome, ReplyOutcome::Failed);
    EXPECT_EQ(reply.failMessage, "");
    EXPECT_EQ(ParseServiceReply("FAIL").failMessage, "");  // no space: not the marker
}

TEST(ReplyGrammar, EmptyOrBlankReplyIsNothing) {
    EXPECT_EQ(ParseServiceReply("").outcome, ReplyOutcome::Nothing);
    EXPECT_EQ(ParseServiceReply("\r\n\n\r").outcome, ReplyOutcome::Nothing);
}

TEST(ReplyGrammar, RunsOfSpacesSeparateTheFields) {
    const ReplyPodcastLine line = ParsePodcastLine("7  two   words here");
    EXPECT_EQ(line.id, 7);
    EXPECT_EQ(line.siteName, "two");
    EXPECT_EQ(line.name, "words here");
}

TEST(ReplyGrammar, LineWithoutNamePartIsListedUnderItsSiteName) {
    const ReplyPodcastLine site = ParsePodcastLine("12 morningshow");
    EXPECT_EQ(site.id, 12);
    EXPECT_EQ(site.siteName, "morningshow");
    EXPECT_EQ(site.name, "morningshow");
    const ReplyPodcastLine digits = ParsePodcastLine("12");
    EXPECT_EQ(digits.id, 12);
    EXPECT_EQ(digits.siteName, "");
    EXPECT_EQ(digits.name, "");
    const ParsedReply reply = ParseServiceReply("OK\n5\n6 site\n7 site Name");
    ASSERT_EQ(reply.podcasts.size(), 3u);
    EXPECT_EQ(reply.podcasts[2].name, "Name");
}

TEST(ReplyGrammar, IdIsTheLeadingRunOfDigits) {
    EXPECT_EQ(ParsePodcastLine("abc site Name").id, 0);
    EXPECT_EQ(ParsePodcastLine("abc site Name").siteName, "abc");
    EXPECT_EQ(ParsePodcastLine("-3 site Name").id, 0);
    EXPECT_EQ(ParsePodcastLine("42x site").id, 42);
    EXPECT_EQ(ParsePodcastLine("42x site").siteName, "x");
    EXPECT_EQ(ParsePodcastLine("99999999999999999999 huge Name").id, 2147483647);
}

TEST(ReplyGrammar, NamesKeepTheirBytes) {
    const ReplyPodcastLine line = ParsePodcastLine("7 kaffee Kaffeeklatsch \xc3\xbc" "ber B\xc3\xbc" "cher ");
    EXPECT_EQ(line.name, "Kaffeeklatsch \xc3\xbc" "ber B\xc3\xbc" "cher ");
}

TEST(ReplyGrammar, ZeroBytesAreOrdinaryCharacters) {
    const std::string zeros(64, '\0');
    const ParsedReply reply = ParseServiceReply(zeros);
    EXPECT_EQ(reply.outcome, ReplyOutcome::Failed);
    EXPECT_EQ(reply.failMessage, "");
    const ParsedReply listed = ParseServiceReply(std::string("OK\n1 a\0b c", 10));
    ASSERT_EQ(listed.podcasts.size(), 1u);
    EXPECT_EQ(listed.podcasts[0].siteName, std::string("a\0b", 3));
}

}  // namespace
