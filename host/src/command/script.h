// The command language's text form: tokens, statements and the parser that
// reads a whole text before anything of it runs.
//
// Grammar. A text is statements separated by ';' (empty ones are dropped).
// A statement is a declaration `string $name = VALUE` (VALUE a literal, a
// backquote or a variable) or a call: a command word followed by arguments.
// Tokens are separated by blanks, tabs and line breaks:
//   - "..." a literal: \" \\ \n \t are replaced, any other pair after a
//     backslash stays as written; '$', ';' and '`' inside are plain text. The
//     closing quote ends the token, whatever follows it.
//   - `...` a backquote holding exactly one call (no ';', no backquote
//     within: a backquote at the start of a word inside one is refused).
//   - $name a variable (letters, digits, '_'); it is replaced when the
//     statement runs.
//   - '-' followed by a letter a flag; '-' followed by a digit or '.', and
//     "-inf" / "-nan", a number; anything else a word (a word that reads as a
//     number is a number).
// A literal is never a flag, nor is what a variable or backquote gives.
#ifndef VESK_COMMAND_SCRIPT_H
#define VESK_COMMAND_SCRIPT_H

#include <string>
#include <vector>

#include <vesk/VeskExport.h>

namespace vesk {

struct Token {
    enum Kind : unsigned char { kWord, kNumber, kFlag, kLiteral, kVariable, kBackquote };

    Kind kind = kWord;
    // The word, number or flag as written ('-' included), the literal with
    // its escapes applied, or the variable's name (without '$').
    std::string text;
    // A backquote's call: its command word first.
    std::vector<Token> call;
};

struct Statement {
    // A declaration names its variable; a call has none.
    std::string variable;
    // A call: the command word, then the arguments. A declaration: its one
    // value token.
    std::vector<Token> tokens;

    bool declaration() const { return !variable.empty(); }
};

// Reads a whole text. False on a syntax error, with error saying what and
// where (out is then empty).
VESK_API bool parseScript(const std::string& text, std::vector<Statement>& out, std::string& error);

} // namespace vesk

#endif
