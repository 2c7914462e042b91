#pragma once
// The language texts: every caption, hint and message that a language
// section of LANGUAGE.INI can change, each under its key with its built-in
// English text. Nothing else in the program holds one of these defaults.
//
// Standard C++ only: the build machine's tool that writes the shipped
// language file is built from it too.

#include <cstddef>
#include <functional>
#include <string>

enum class TTextGroup {
    Shared,     // button captions shared by the dialogs ("Ok.Caption")
    Main,       // words and messages of the main window ("sKeyName")
    Field,      // message and caption fields of the other windows
    Title,      // window titles ("frmFind.Caption")
    Component,  // captions, hints and items of components
};

struct TLanguageText {
    const char* Key;
    const char* Default;
    const char* Chinese;  // the Simplified Chinese text, UTF-8
    TTextGroup Group;
};

// The keys in table order: shared captions, words and messages, other
// windows' fields, titles, then the components window by window.
const TLanguageText* LanguageTexts();
std::size_t LanguageTextCount();

// The index of a key (exact spelling), or LanguageTextCount() when there is none.
std::size_t LanguageTextIndex(const std::string& key);
// The built-in text of a key; an unknown key is a programming error and
// throws std::out_of_range.
const char* LanguageDefault(const std::string& key);

// Turns a UTF-8 text into GB2312 bytes; false when a character has none.
using TGb2312Encoder = std::function<bool(const std::string& utf8, std::string& gb2312)>;

// The language file as shipped: the language list (English, Simple
// Chinese), every charset section in its order, [ANSI] holding every key
// with its built-in text and [GB2312] every key with its Chinese text
// through the encoder, all in double quotes, CR LF line ends. A Chinese
// text that the encoder refuses throws std::runtime_error naming its key.
std::string ShippedLanguageFile(const TGb2312Encoder& toGb2312);
