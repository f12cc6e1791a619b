#include <MaterialXCore/Document.h>
#include <MaterialXCore/SharedName.h>
#include <MaterialXFormat/XmlIo.h>

#include <gtest/gtest.h>

#include <thread>

namespace mx = MaterialX;

namespace
{

TEST(SharedNames, EqualShortTextsAreOneStringAndLongOnesEachHolderOwn)
{
    const mx::SharedName a(std::string("nodename"));
    const mx::SharedName b("nodename");
    EXPECT_EQ(&a.str(), &b.str());
    EXPECT_EQ(a, "nodename");
    EXPECT_TRUE(mx::SharedName().empty());
    EXPECT_EQ(mx::SharedName("").str(), "");

    const std::string long_text(mx::SharedName::SHARED_LENGTH_LIMIT + 1, 'x');
    mx::SharedName own(long_text);
    mx::SharedName copy = own;
    EXPECT_EQ(copy, long_text);
    EXPECT_NE(&copy.str(), &own.str());
    mx::SharedName moved = std::move(own);
    EXPECT_EQ(moved, long_text);
    EXPECT_TRUE(own.empty());
    copy = moved;
    const mx::SharedName& itself = copy;
    copy = itself;
    EXPECT_EQ(copy, long_text);
    copy = b;
    EXPECT_EQ(&copy.str(), &b.str());

    // Holders compare by their texts, however each holds its own.
    EXPECT_EQ(mx::SharedName(long_text), moved);
    EXPECT_NE(mx::SharedName(long_text + "y"), moved);
    EXPECT_NE(mx::SharedName("nodegraph"), b);
    EXPECT_NE(mx::SharedName(), b);
    EXPECT_NE(moved, b);
    EXPECT_EQ(mx::SharedName(), mx::SharedName(""));
}

// Texts are told apart by a few words of them: a change of any one byte, at
// any length, must still give the text itself, the first time and again.
TEST(SharedNames, TextsDifferingInOneByteStayApart)
{
    for (size_t length = 1; length <= mx::SharedName::SHARED_LENGTH_LIMIT; ++length)
    {
        const std::string base(length, 'a');
        for (size_t at = 0; at < length; ++at)
        {
            std::string changed = base;
            changed[at] = 'b';
            for (int round = 0; round < 2; ++round)
            {
                ASSERT_EQ(mx::SharedName(base).str(), base);
                ASSERT_EQ(mx::SharedName(changed).str(), changed) << "length " << length << ", byte " << at;
            }
        }
    }
}

TEST(SharedNames, AnAttributeGivenTwiceKeepsItsPlaceAndTheLastValue)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::readFromXmlString(doc, "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\">\n"
                               "  <constant name=\"c\" type=\"float\" nodedef=\"ND_a\" type=\"color3\" />\n"
                               "</materialx>\n");
    mx::NodePtr node = doc->getNode("c");
    ASSERT_TRUE(node);
    ASSERT_EQ(node->getAttributeNames(), (mx::StringVec{ "type", "nodedef" }));
    EXPECT_EQ(node->getType(), "color3");
}

TEST(SharedNames, ThreadsMeetingTheSameTextsAgreeOnThem)
{
    std::vector<mx::SharedName> seen(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&seen, t] {
            std::vector<mx::SharedName> held;
            for (int i = 0; i < 200; ++i)
                held.emplace_back("made_up_" + std::to_string((i * 7 + int(t)) % 200));
            seen[t] = held[7];
        });
    for (std::thread& thread : threads)
        thread.join();
    for (size_t t = 0; t < seen.size(); ++t)
    {
        EXPECT_EQ(seen[t], "made_up_" + std::to_string((49 + t) % 200));
        EXPECT_EQ(seen[t], mx::SharedName("made_up_" + std::to_string((49 + t) % 200)));
    }
}

TEST(SharedNames, AttributeValuesChangeOnTheirElementOnly)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::NodePtr first = doc->addNode("constant", "first", "float");
    mx::NodePtr second = doc->addNode("constant", "second", "float");
    first->setAttribute("note", "0.5");
    second->setAttribute("note", "0.5");
    first->setAttribute("note", "1");
    EXPECT_EQ(first->getAttribute("note"), "1");
    EXPECT_EQ(second->getAttribute("note"), "0.5");

    // Past the scan limit attributes are found through an index.
    for (int i = 0; i < 40; ++i)
        first->setAttribute("a" + std::to_string(i), std::to_string(i % 3));
    first->setAttribute("a39", "changed");
    EXPECT_EQ(first->getAttribute("a39"), "changed");
    EXPECT_EQ(first->getAttribute("a38"), "2");
    first->removeAttribute("a0");
    EXPECT_FALSE(first->hasAttribute("a0"));
    EXPECT_EQ(first->getAttribute("a1"), "1");
    EXPECT_EQ(first->getAttributeNames().size(), 41u);
}

} // namespace
