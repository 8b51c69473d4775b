// The prefilters of the engine: what the optimiser learns about a pattern
// at compile time so that the search skips start positions at which no
// match can begin.
//
// Takes: the parse tree and the compiled program. Gives: TREOptimizeData:
// the minimum match length, an anchor (text start, line starts, \G), the
// literal every match begins with, the set of units a match can begin with,
// and a literal that every match contains. Each is exact: it only rules out
// positions at which the pattern cannot match, so the search finds the same
// matches with every prefilter switched off (SetPrefiltersEnabled(false),
// a switch for tests). Patterns with verbs or callouts get none (an attempt
// there has effects beyond its own result).
#pragma once

#include "regex/regex_codes.h"

namespace tenrovel::regex {

struct TREBinCode;
class TRECompiledProgram;

enum TREOptimizeDataKind : std::uint8_t {
  odkNormal,
  odkLead,
  odkTail,
  odkLineHead,
  odkLineTail,
  odkTextHead,
  odkTextTail,
};

enum TRELeadCharMode : std::uint8_t {
  lcmNone,
  lcmFirstLiteral,
  lcmSimple,
  lcmTextTop,
  lcmLineTop,
  lcmHasLead,
  lcmMap,
  lcmAnchor,
};

enum TREPreMatchMode : std::uint8_t { pmNone, pmTail, pmExitst, pmBranch };

// The units a match can begin with: each ASCII unit, and any non-ASCII one.
struct TRELeadMap {
  bool Ascii[128] = {};
  bool NonAscii = true;
  bool Allows(char16_t unit) const { return unit < 128 ? Ascii[unit] : NonAscii; }
};

struct TREOptimizeData {
  TREOptimizeDataKind Kind = odkNormal;
  TRELeadCharMode LeadMode = lcmNone;
  // Every match begins at \G (the previous match's end).
  bool GlobalPosTop = false;
  // Fewest units any match takes.
  int MinLength = 0;
  // lcmFirstLiteral, lcmSimple: the code every match begins with (a
  // character or a literal); lcmSimple: the whole pattern is that code.
  const TRECode* LeadCode = nullptr;
  // lcmMap (and a check besides lcmFirstLiteral).
  TRELeadMap LeadMap;
  // pmExitst: a literal or character every match contains.
  TREPreMatchMode PreMatchMode = pmNone;
  const TRECode* PreMatchCode = nullptr;
};

// Fills program.Optimize from the tree.
void Optimize(const TREBinCode& root, TRECompiledProgram& program);

// The test switch: false makes every search try every start position.
void SetPrefiltersEnabled(bool enabled);
bool PrefiltersEnabled();

}  // namespace tenrovel::regex
