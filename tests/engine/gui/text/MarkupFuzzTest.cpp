#include "engine/gui/guiCompositeGlyph.h"
#include "engine/gui/guiDisplayBox.h"
#include "tests/support/engine/gui/TextDesk.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace
{

// Messages of the kinds the game shows, cut short at every length and damaged byte by byte.
class MarkupFuzzTest : public TextDeskTest
{
protected:
    static constexpr int kMutations = 3000;

    static std::vector<std::string> Seeds()
    {
        return {
            "<text font bar16m color .5 .5 .5 1>A file cannot contain any of the following characters:\n"
            "/:*?\"<>|</text>",
            "<text font bar16m color .5 .5 .5 1>There was a problem writing to the file.</text>",
            "Words first <TEXT>no</TEXT><text align 2 color 2 -1 0.5 1>centred\\nline</text "
            "<image filename \"a picture.tga\" align 1 alpha 1 filter 2><image filename bare.tga alpha true>",
            "<text font bar16m align left>x </text y</text><text>\n\n\t tabs  and  blanks</text><",
        };
    }

    static std::vector<std::string> Corpus()
    {
        std::vector<std::string> corpus;
        std::mt19937 random(77);
        const std::string pieces[] = {"<",           ">",    "</text>", "<text ", "\"",
                                      "\\n",         "\n",   " ",       "align ", "color ",
                                      "-2147483649", "1e40", "nan",     "font ",  "filename "};
        for (const std::string& seed : Seeds())
        {
            for (std::size_t length = 0; length <= seed.size(); ++length)
                corpus.push_back(seed.substr(0, length));
            for (int i = 0; i < kMutations / 4; ++i)
            {
                std::string input = seed;
                for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n)
                {
                    const std::size_t at = random() % (input.size() + 1);
                    switch (random() % 3)
                    {
                    case 0:
                        if (at < input.size())
                            input[at] = static_cast<char>(random());
                        break;
                    case 1:
                        input.insert(at, pieces[random() % std::size(pieces)]);
                        break;
                    default:
                        input.erase(at, random() % 8);
                        break;
                    }
                }
                corpus.push_back(input);
            }
        }
        return corpus;
    }
};

TEST_F(MarkupFuzzTest, DamagedMessagesParseAndLayOutQuickly)
{
    const std::vector<std::string> corpus = Corpus();
    ASSERT_GT(corpus.size(), 3000u);
    auto* box = new guiDisplayBox(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(250, 75));
    m_Form->AddChild(box);
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& input : corpus)
    {
        box->SetText(input);
        ASSERT_EQ(box->GetText(), input);
        box->ScrollVertical(1);
        m_Desk->Frame();
        // Every piece of every entry stays a child of the composition until the next text.
        int pieces = 0;
        for (const guiCompositeGlyph::Entry& entry : box->GetComposition()->GetEntries())
            for (guiGlyph* piece : entry.pieces)
                pieces += piece != nullptr ? 1 : 0;
        ASSERT_EQ(pieces, box->GetComposition()->GetChildCount()) << input;
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    EXPECT_LT(spent.count(), 60.0);
}

} // namespace
