// A small, strict XML 1.0 reader for the tests of the SVG picture: enough
// to check well-formedness (UTF-8, allowed characters, balanced and
// properly nested tags, quoted and unique attributes, known entities) and
// to read elements back by their class attribute.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace slug::test {

struct Element {
    std::string name;
    std::map<std::string, std::string> attr;
    std::string text;  // character data directly inside, references decoded
    std::vector<Element> children;
};

class XmlReader {
public:
    explicit XmlReader(const std::string& s) : s_(s) {}

    // The root element, or nothing with the reason in error().
    std::optional<Element> parse() {
        if (!valid_utf8_xml_chars()) return std::nullopt;
        skip_prolog();
        Element root;
        if (!element(root)) return std::nullopt;
        skip_misc();
        if (i_ != s_.size()) return fail("content after the root element");
        return root;
    }
    const std::string& error() const { return err_; }

private:
    std::optional<Element> fail(const std::string& why) {
        if (err_.empty()) err_ = why + " at byte " + std::to_string(i_);
        return std::nullopt;
    }
    bool bad(const std::string& why) { fail(why); return false; }

    // Every byte sequence is UTF-8 and every character allowed in XML 1.0.
    bool valid_utf8_xml_chars() {
        for (std::size_t k = 0; k < s_.size();) {
            unsigned char c = s_[k];
            std::size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3
                              : (c & 0xF8) == 0xF0 ? 4 : 0;
            if (len == 0 || k + len > s_.size()) { i_ = k; return bad("not UTF-8"); }
            unsigned cp = len == 1 ? c : c & (0x7F >> len);
            for (std::size_t j = 1; j < len; ++j) {
                unsigned char d = s_[k + j];
                if ((d & 0xC0) != 0x80) { i_ = k; return bad("not UTF-8"); }
                cp = (cp << 6) | (d & 0x3F);
            }
            const unsigned min[] = {0, 0, 0x80, 0x800, 0x10000};
            bool ok = cp >= min[len] && !(cp >= 0xD800 && cp <= 0xDFFF) && cp <= 0x10FFFF &&
                      (cp >= 0x20 || cp == 9 || cp == 10 || cp == 13) && cp != 0xFFFE &&
                      cp != 0xFFFF;
            if (!ok) { i_ = k; return bad("character not allowed in XML"); }
            k += len;
        }
        return true;
    }
    bool starts(const char* p) const { return s_.compare(i_, std::char_traits<char>::length(p), p) == 0; }
    void skip_ws() { while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_; }
    void skip_misc() {
        for (;;) {
            skip_ws();
            if (starts("<!--")) { auto e = s_.find("-->", i_); i_ = e == std::string::npos ? s_.size() : e + 3; }
            else return;
        }
    }
    void skip_prolog() {
        if (starts("<?xml")) { auto e = s_.find("?>", i_); i_ = e == std::string::npos ? s_.size() : e + 2; }
        skip_misc();
    }
    static bool name_char(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':' || c == '-' || c == '.';
    }
    bool name(std::string& out) {
        std::size_t b = i_;
        if (i_ >= s_.size() || !(std::isalpha(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_'))
            return bad("name expected");
        while (i_ < s_.size() && name_char(s_[i_])) ++i_;
        out = s_.substr(b, i_ - b);
        return true;
    }
    // A reference after '&': one of the five entities or a character reference.
    bool reference(std::string& out) {
        auto e = s_.find(';', i_);
        if (e == std::string::npos) return bad("unterminated reference");
        std::string r = s_.substr(i_ + 1, e - i_ - 1);
        static const std::map<std::string, std::string> ent{
            {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
        if (auto it = ent.find(r); it != ent.end()) out += it->second;
        else if (r.size() > 1 && r[0] == '#') out += "?";  // numeric: kept as a marker
        else return bad("unknown entity &" + r + ";");
        i_ = e + 1;
        return true;
    }
    bool element(Element& el) {
        if (!starts("<")) return bad("'<' expected");
        ++i_;
        if (!name(el.name)) return false;
        for (;;) {
            std::size_t before = i_;
            skip_ws();
            if (starts("/>")) { i_ += 2; return true; }
            if (starts(">")) { ++i_; break; }
            if (i_ == before) return bad("blank expected between attributes");
            std::string an;
            if (!name(an)) return false;
            skip_ws();
            if (!starts("=")) return bad("'=' expected");
            ++i_;
            skip_ws();
            if (i_ >= s_.size() || (s_[i_] != '"' && s_[i_] != '\'')) return bad("quoted value expected");
            char q = s_[i_++];
            std::string v;
            while (i_ < s_.size() && s_[i_] != q) {
                if (s_[i_] == '<') return bad("'<' in attribute value");
                if (s_[i_] == '&') { if (!reference(v)) return false; }
                else v += s_[i_++];
            }
            if (i_ >= s_.size()) return bad("unterminated attribute value");
            ++i_;
            if (!el.attr.emplace(an, v).second) return bad("attribute repeated: " + an);
        }
        for (;;) {  // content
            if (i_ >= s_.size()) return bad("unclosed element " + el.name);
            if (starts("</")) {
                i_ += 2;
                std::string en;
                if (!name(en)) return false;
                if (en != el.name) return bad("</" + en + "> closes <" + el.name + ">");
                skip_ws();
                if (!starts(">")) return bad("'>' expected");
                ++i_;
                return true;
            }
            if (starts("<!--")) { auto e = s_.find("-->", i_); if (e == std::string::npos) return bad("comment"); i_ = e + 3; continue; }
            if (starts("<")) {
                el.children.emplace_back();
                if (!element(el.children.back())) return false;
                continue;
            }
            if (s_[i_] == '&') { if (!reference(el.text)) return false; continue; }
            if (starts("]]>")) return bad("']]>' in text");
            el.text += s_[i_++];
        }
    }

    std::string s_;
    std::size_t i_ = 0;
    std::string err_;
};

inline void collect(const Element& e, const std::string& cls, std::vector<const Element*>& out) {
    auto it = e.attr.find("class");
    if (it != e.attr.end() && it->second == cls) out.push_back(&e);
    for (const Element& c : e.children) collect(c, cls, out);
}
inline std::vector<const Element*> by_class(const Element& root, const std::string& cls) {
    std::vector<const Element*> out;
    collect(root, cls, out);
    return out;
}
inline double num(const Element& e, const char* a) { return std::strtod(e.attr.at(a).c_str(), nullptr); }

inline Element parse_ok(const std::string& svg) {
    XmlReader r(svg);
    auto root = r.parse();
    EXPECT_TRUE(root.has_value()) << r.error() << "\n" << svg.substr(0, 2000);
    if (!root) return {};
    EXPECT_EQ(root->name, "svg");
    EXPECT_EQ(root->attr["xmlns"], "http://www.w3.org/2000/svg");
    return *root;
}

}  // namespace slug::test
