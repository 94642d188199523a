#include "command/script.h"

#include "foundation/number_text.h"

namespace vesk {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isNameChar(char c)
{
    return isLetter(c) || isDigit(c) || c == '_';
}

class Lexer {
public:
    explicit Lexer(const std::string& text) : mText(text) {}

    bool statements(std::vector<Statement>& out)
    {
        for (;;) {
            std::vector<Token> tokens;
            if (!tokensUntil(false, tokens))
                return false;
            if (!tokens.empty()) {
                Statement st;
                if (!shape(tokens, st))
                    return false;
                out.push_back(std::move(st));
            }
            if (mPos >= mText.size())
                return true;
            ++mPos; // the ';'
        }
    }

    const std::string& error() const { return mError; }

private:
    bool fail(const std::string& what)
    {
        mError = what + " (at character " + std::to_string(mPos + 1) + ")";
        return false;
    }

    // Tokens up to a ';' or the end (a backquote's: up to its closing
    // backquote, which is consumed).
    bool tokensUntil(bool inBackquote, std::vector<Token>& out)
    {
        for (;;) {
            while (mPos < mText.size() && isBlank(mText[mPos]))
                ++mPos;
            if (mPos >= mText.size()) {
                if (inBackquote)
                    return fail("Unterminated backquote");
                return true;
            }
            const char c = mText[mPos];
            if (c == ';') {
                if (inBackquote)
                    return fail("';' inside a backquote");
                return true;
            }
            if (c == '`') {
                if (!inBackquote) {
                    ++mPos;
                    Token t;
                    t.kind = Token::kBackquote;
                    if (!tokensUntil(true, t.call))
                        return false;
                    if (t.call.empty() || t.call[0].kind != Token::kWord)
                        return fail("A backquote must hold a command");
                    out.push_back(std::move(t));
                    continue;
                }
                // Inside a backquote, one that starts a word opens another.
                const bool startsWord = mPos + 1 < mText.size() && !isBlank(mText[mPos + 1]) &&
                                        mText[mPos + 1] != ';' && mText[mPos + 1] != '`';
                if (startsWord && mPos > 0 && isBlank(mText[mPos - 1]) && !out.empty())
                    return fail("Nested backquotes are not allowed");
                ++mPos;
                return true;
            }
            Token t;
            if (c == '"') {
                if (!literal(t))
                    return false;
            } else if (c == '$') {
                if (!variable(t))
                    return false;
            } else {
                word(t);
            }
            out.push_back(std::move(t));
        }
    }

    bool literal(Token& t)
    {
        t.kind = Token::kLiteral;
        ++mPos;
        while (mPos < mText.size()) {
            const char c = mText[mPos];
            if (c == '"') {
                ++mPos;
                return true;
            }
            if (c == '\\' && mPos + 1 < mText.size()) {
                const char e = mText[mPos + 1];
                switch (e) {
                case '"': t.text += '"'; break;
                case '\\': t.text += '\\'; break;
                case 'n': t.text += '\n'; break;
                case 't': t.text += '\t'; break;
                default:
                    t.text += c;
                    t.text += e;
                }
                mPos += 2;
                continue;
            }
            // This character and the run up to the next quote or backslash
            // at once: a long literal (a deep path) costs one copy.
            size_t end = mPos + 1;
            while (end < mText.size() && mText[end] != '"' && mText[end] != '\\')
                ++end;
            t.text.append(mText, mPos, end - mPos);
            mPos = end;
        }
        return fail("Unterminated string literal");
    }

    bool variable(Token& t)
    {
        t.kind = Token::kVariable;
        ++mPos;
        const size_t start = mPos;
        while (mPos < mText.size() && isNameChar(mText[mPos]))
            ++mPos;
        t.text = mText.substr(start, mPos - start);
        if (t.text.empty() || isDigit(t.text[0]))
            return fail("Bad variable name");
        if (mPos < mText.size()) {
            const char next = mText[mPos];
            if (!isBlank(next) && next != ';' && next != '=' && next != '`')
                return fail("Bad variable name");
        }
        return true;
    }

    void word(Token& t)
    {
        const size_t start = mPos;
        while (mPos < mText.size()) {
            const char c = mText[mPos];
            if (isBlank(c) || c == ';' || c == '"' || c == '`')
                break;
            ++mPos;
        }
        t.text = mText.substr(start, mPos - start);
        double ignored = 0.0;
        if (t.text.size() > 1 && t.text[0] == '-') {
            const char second = t.text[1];
            if (isDigit(second) || second == '.' || parseDouble(t.text.c_str(), ignored))
                t.kind = Token::kNumber;
            else if (isLetter(second))
                t.kind = Token::kFlag;
            else
                t.kind = Token::kWord;
        } else {
            t.kind = parseDouble(t.text.c_str(), ignored) ? Token::kNumber : Token::kWord;
        }
    }

    // A statement's tokens as a declaration or a call.
    bool shape(std::vector<Token>& tokens, Statement& st)
    {
        const bool declares = tokens.size() >= 2 && tokens[0].kind == Token::kWord && tokens[0].text == "string" &&
                              tokens[1].kind == Token::kVariable;
        if (declares) {
            if (tokens.size() != 4 || tokens[2].kind != Token::kWord || tokens[2].text != "=")
                return fail("A declaration reads: string $name = value");
            const Token::Kind k = tokens[3].kind;
            if (k != Token::kLiteral && k != Token::kBackquote && k != Token::kVariable)
                return fail("A declared value must be a string, a backquote or a variable");
            st.variable = tokens[1].text;
            st.tokens.push_back(std::move(tokens[3]));
            return true;
        }
        if (tokens[0].kind != Token::kWord)
            return fail("A statement must begin with a command name");
        st.tokens = std::move(tokens);
        return true;
    }

    const std::string& mText;
    size_t mPos = 0;
    std::string mError;
};

} // namespace

bool parseScript(const std::string& text, std::vector<Statement>& out, std::string& error)
{
    out.clear();
    Lexer lexer(text);
    if (lexer.statements(out))
        return true;
    out.clear();
    error = lexer.error();
    return false;
}

} // namespace vesk
