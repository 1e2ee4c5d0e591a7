// Paths as people read them: "3F00/5015/4402", "aid A0...:4402", and the
// part of the file when the path names one: "3F00/5015/4574[128+922]".
#ifndef TOKEN_PATHTEXT_H
#define TOKEN_PATHTEXT_H

#include <ias/CCiaPath.h>

#include <string>

namespace token {

/// The path's AID, file identifiers (an odd trailing byte shown as "+XX"),
/// and "[index+length]" when it has an index.
std::string PathText(const ias::CCiaPath& path);

} // namespace token

#endif
