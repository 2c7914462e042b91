#include "zrvTextSplice.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(SpliceEdit, WhatTheUserDidNotEditStaysAsStored) {
    // Unedited, every kind of line break and what follows a NUL come back.
    for (const std::u16string& stored : {u"l1\r\nl2\nl3\rl4"s, u"ab\0cd\0"s, u"\r\r\n\n\r"s, u"x\0"s})
        EXPECT_EQ(SpliceEdit(stored, EditorText(stored)), stored);
    // One character appended: the lone LF and CR stay lone.
    EXPECT_EQ(SpliceEdit(u"l1\r\nl2\nl3\rl4\0"s, u"l1\r\nl2\r\nl3\r\nl4Z"), u"l1\r\nl2\nl3\rl4Z\0"s);
    // What follows an embedded NUL stays, terminator and all.
    EXPECT_EQ(SpliceEdit(u"ab\0cd\0"s, u"abZ"), u"abZ\0cd\0"s);
    EXPECT_EQ(SpliceEdit(u"ab\0cd"s, u"Zab"), u"Zab\0cd"s);
    // A line break deleted, one inserted.
    EXPECT_EQ(SpliceEdit(u"a\rb\nc"s, u"ab\r\nc"), u"ab\nc"s);
    EXPECT_EQ(SpliceEdit(u"a\nb"s, u"a\r\nX\r\nb"), u"a\nX\nb"s);
}

TEST(SpliceEdit, EditsFarApartKeepTheLineBreaksBetweenThem) {
    std::u16string stored;
    for (int i = 0; i < 500; ++i) stored += u"line " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + (i % 2 ? u"\n" : u"\r");
    std::u16string edited = EditorText(stored);
    edited.insert(0, u"first ");
    edited.replace(edited.size() - 4, 1, u"LAST");
    edited.insert(edited.size() / 2, u"\r\nmiddle");
    const std::u16string out = SpliceEdit(stored, edited);
    EXPECT_TRUE(SameTextAndBreaks(ShownPart(out), edited));
    // Every line break of the stored text is still there in its own kind.
    std::size_t lone = 0;
    for (std::size_t i = 0; i < out.size(); ++i)
        if ((out[i] == u'\n' && (i == 0 || out[i - 1] != u'\r')) || (out[i] == u'\r' && (i + 1 == out.size() || out[i + 1] != u'\n')))
            ++lone;
    EXPECT_EQ(lone, 500u);  // the new ones are CR LF: the text used two kinds
}

TEST(SpliceEdit, NewLineBreaksTakeTheTextsOwnKind) {
    EXPECT_EQ(SpliceEdit(u"a\nb"s, u"a\r\nb\r\nc"), u"a\nb\nc"s);
    EXPECT_EQ(SpliceEdit(u"a\rb"s, u"a\r\nb\r\nc"), u"a\rb\rc"s);
    EXPECT_EQ(SpliceEdit(u"ab"s, u"a\r\nb"), u"a\r\nb"s);
    EXPECT_EQ(SpliceEdit(u"a\nb\r\nc"s, u"a\r\nb\r\nc\r\nd"), u"a\nb\r\nc\r\nd"s);
}

TEST(SpliceEdit, ATextReplacedWholeIsTheNewText) {
    std::u16string stored, edited;
    for (int i = 0; i < 200000; ++i) {
        stored += static_cast<char16_t>(u'a' + i % 7);
        edited += static_cast<char16_t>(u'a' + i % 5);
        if (i % 40 == 0) stored += u'\n', edited += u"\r\n";
    }
    stored += u'\0';
    const std::u16string out = SpliceEdit(stored, edited);
    EXPECT_TRUE(SameTextAndBreaks(ShownPart(out), edited));
    EXPECT_EQ(out.back(), u'\0');
}
