// Phrase files: line n is phrase n, whatever the line ends and lengths.
#include "gui/lang.h"

#include "temp_dir.h"

#include <sys/stat.h>

namespace {

class Phrases : public InTempDir {
protected:
    void SetUp() override
    {
        InTempDir::SetUp();
        mkdir("lang", 0755);
    }
};

TEST_F(Phrases, LineNIsPhraseN)
{
    std::string file = "A\r\n" + std::string(130, 'L') + "\nnext\n";
    for (int n = 4; n <= 300; n++)
        file += "p" + std::to_string(n) + "\n";
    write_file("lang/eng.txt", file);
    lang_init("eng");
    struct { int n; std::string phrase; } cases[] = {
        {0, ""}, {1, "A"}, {2, std::string(127, 'L')}, {3, "next"}, {255, "p255"}, {256, ""}, {-1, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(lang_get(c.n), c.phrase) << c.n;
}

// Without its own file a language borrows the other's phrases, so no caption
// is blank; a FIFO in the file's place is not waited on.
TEST_F(Phrases, AMissingLanguageFallsBackToTheOther)
{
    write_file("lang/rus.txt", "Russian 1\n");
    ASSERT_EQ(mkfifo("lang/eng.txt", 0600), 0);
    for (const char *code : {"eng", "%s%n"}) {
        testing::internal::CaptureStdout();
        lang_init(code);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "fail not found lang/" + std::string(code) + ".txt, lang/rus.txt used instead \n");
    }
    EXPECT_STREQ(lang_get(1), "Russian 1");
}

}  // namespace
