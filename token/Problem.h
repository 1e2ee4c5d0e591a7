// What went wrong with one file of the CIA, or one element inside it.
#ifndef TOKEN_PROBLEM_H
#define TOKEN_PROBLEM_H

#include <ias/CCiaPath.h>

#include <string>

namespace token {

struct Problem {
    enum Stage { Select, Read, Decode };

    std::string file;   ///< "EF.DIR", "EF.OD", "PrKDF", ... or the value's owner
    ias::CCiaPath path; ///< as the walk opened it (null when it had none)
    Stage stage = Select;
    unsigned int sw = 0;    ///< the card's status word, 0 when it did not answer one
    unsigned long pcsc = 0; ///< the PC/SC code, 0 when none
    std::string message;    ///< the library's or the decoder's message
    long offset = -1;       ///< of the failing element in the file; -1: the whole file

    static const char* stageName(Stage s) {
        return s == Select ? "select" : s == Read ? "read" : "decode";
    }
};

} // namespace token

#endif
