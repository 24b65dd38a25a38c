#include <gtest/gtest.h>

#include "FormCase.h"

namespace {

using namespace form_case;
using tessaro::ChapterForm;

// Podcasting 2.0 chapters: a chapter with "toc": false is read as left out of the table of
// contents; what is not JSON, holds no "chapters" list or gives an entry's fields as what they
// are not is refused, naming the entry.
TEST(JsonFormTest, ReadWrittenToldAndRefusedAsTheNamespaceSays) {
    ExpectForm(
        {tessaro::ChapterForm::Json,
         "c.json",
         R"({"version":"1.2.0","chapters":[{"startTime":0,"title":"Intro","img":"a.jpg"},)"
         R"({"startTime":65.5,"title":" Ad ","toc":false},{"startTime":130.0004,"title":"Main"}]})",
         {{"Intro", 0, 65500, true}, {"Ad", 65500, 130000, false}, {"Main", 130000, kEndMs, true}},
         "{\n    \"chapters\": [\n        {\n            \"startTime\": 0,\n            \"title\": "
         "\"Intro\"\n        },\n        {\n            \"startTime\": 1.5,\n            "
         "\"title\": \"Teil \\\"2\\\"; a=b #3 \\\\ Ende\",\n            \"toc\": false\n        "
         "}\n    ],\n    \"version\": \"1.2.0\"\n}\n",
         R"({"version": "1.2.0", "chapters": []})",
         {{"{\"chapters\": [\n{\"startTime\": 0,,}]}", "line 2: it is not JSON"},
          {R"({"version":"1.2.0"})", "it holds no \"chapters\" list"},
          {R"({"chapters":[{"startTime":"0:00","title":"A"}]})",
           "entry 1 of \"chapters\": \"startTime\" is not a number of seconds"},
          {R"({"chapters":[{"startTime":0,"title":"A"},{"startTime":1,"url":5}]})",
           "entry 2 of \"chapters\": \"url\" is not text"},
          {R"({"chapters":[{"startTime":0,"endTime":"1"}]})",
           "entry 1 of \"chapters\": \"endTime\" is not a number of seconds"},
          {R"({"chapters":[{"startTime":0,"img":"a\nb"}]})",
           "entry 1 of \"chapters\": the \"img\" holds a control character (U+000A) at "
           "character 2"},
          {R"({"chapters":[{"startTime":0,"title":"A\u0000"}]})", "(U+0000) at character 2"},
          {R"({"chapters":[{"startTime":0,"title":"A\ud800"}]})", "half a UTF-16 character"},
          {R"({"chapters":[{"startTime":2,"title":"A"},{"startTime":1,"title":"B"}]})",
           "entry 2 of \"chapters\": 00:00:01.000 does not come after"},
          {R"({"chapters":[{"startTime":0,"title":"A","toc":0}]})",
           "entry 1 of \"chapters\": \"toc\" is neither true nor false"},
          {R"({"chapters":[{"startTime":-1,"title":"A"}]})", "\"startTime\" -1 is negative"}}});
}

// Its addresses and a chapter without a title, as the namespace's own example gives them.
TEST(JsonFormTest, TheNamespacesExampleKeepsItsAddressesAndItsUntitledChapter) {
    // The Podcasting 2.0 namespace's own example, shortened: its silent chapter has no title.
    QString error;
    const auto example =
        tessaro::ParseChapters(QStringLiteral(
                                   R"({"version": "1.2.0", "author": "John Doe", "chapters": [
                {"startTime": 0, "title": "Intro"},
                {"startTime": 410, "title": "Namespace",
                 "img": "https://example.com/images/namepsace_example.jpg",
                 "url": "https://github.com/Podcastindex-org/podcast-namespace"},
                {"startTime": 4826, "img": "https://example.com/images/parisfrance.jpg",
                 "toc": false, "location": {"name": "Eiffel Tower, Paris",
                                            "geo": "geo:42.3417649,-70.9661596"}},
                {"startTime": 5510, "title": "The Big Players"}]})"),
                               ChapterForm::Json, kEndMs, &error);
    ASSERT_TRUE(example) << error.toStdString();
    ASSERT_EQ(example->size(), 4u);
    EXPECT_EQ((*example)[1].links,
              (tessaro::ChapterLinks{
                  QStringLiteral("https://github.com/Podcastindex-org/podcast-namespace"),
                  QStringLiteral("https://example.com/images/namepsace_example.jpg")}));
    EXPECT_TRUE((*example)[2].title.isEmpty());
    EXPECT_FALSE((*example)[2].listed);
    EXPECT_EQ((*example)[2].links.picture,
              QStringLiteral("https://example.com/images/parisfrance.jpg"));
}

}  // namespace
