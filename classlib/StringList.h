#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace classlib {

// An ordered list of strings, with the few operations the program needs.
class TStringList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& operator[](int i) const { return FItems.at(static_cast<size_t>(i)); }
    std::string& operator[](int i) { return FItems.at(static_cast<size_t>(i)); }
    void Add(const std::string& s) { FItems.push_back(s); }
    void Insert(int index, const std::string& s);
    void Delete(int index);
    void Clear() { FItems.clear(); }
    // Case-insensitive, as the system compares names (lstrcmpiA order).
    void Sort();
    int IndexOf(const std::string& s) const;  // case-insensitive, -1 when absent
    // Lines of the form "name=value": the name is the text before the first
    // "=", compared without regard to letter case (NameKey).
    int IndexOfName(const std::string& name) const;    // the first such line, -1 when none
    std::string Value(const std::string& name) const;  // empty when no line has the name
    // Replaces the value of the first line of that name, keeping its name,
    // or appends "name=value".
    void SetValue(const std::string& name, const std::string& value);
    // Lines of a text file, by its real name; CR LF, LF and a missing last
    // line end all work. Throws EFileError (Files.h) naming the file when it
    // cannot be read or written; a failed save leaves the old file.
    void LoadFromFile(const std::wstring& fileName);
    void SaveToFile(const std::wstring& fileName) const;
    void SetText(const std::string& text);
    std::string Text() const;  // every line followed by CR LF

    std::vector<std::string>::const_iterator begin() const { return FItems.begin(); }
    std::vector<std::string>::const_iterator end() const { return FItems.end(); }
    const std::vector<std::string>& Items() const { return FItems; }

private:
    std::vector<std::string> FItems;
};

// A name with its letter case folded as the code page folds it: two names
// are the same name when their keys are equal. FoldNameInto reuses key.
std::string NameKey(std::string_view name);
void FoldNameInto(std::string_view name, std::string& key);

}  // namespace classlib
