#include "regex/regex_prefilter.h"

#include <atomic>
#include <vector>

#include "regex/regex_compiler.h"

namespace tenrovel::regex {
namespace {

std::atomic<bool> g_prefilters_enabled{true};

enum TAnchor { kNoAnchor, kTextTop, kLineTop, kGlobalTop };

TAnchor CodeAnchor(const TRECode& code) {
  switch (code.Kind()) {
    case ckTextHead:
      return kTextTop;
    case ckLineHead:
      return static_cast<const TREAnchorCode&>(code).MultiLine() ? kLineTop : kTextTop;
    case ckGlobalPos:
      return kGlobalTop;
    default:
      return kNoAnchor;
  }
}

// The anchor every match of the node begins at.
TAnchor FirstAnchor(const TREBinCode& node) {
  switch (node.Op) {
    case opCode:
      return CodeAnchor(*node.Code);
    case opConcat:
      for (const auto& item : node.Items) {
        if (item->Op != opEmply) {
          return FirstAnchor(*item);
        }
      }
      return kNoAnchor;
    case opGroup:
    case opNoBackTrack:
      return FirstAnchor(*node.Items[0]);
    case opLoop:
      return node.Min > 0 ? FirstAnchor(*node.Items[0]) : kNoAnchor;
    case opUnion: {
      TAnchor common = kTextTop;
      for (const auto& item : node.Items) {
        const TAnchor anchor = FirstAnchor(*item);
        if (anchor == kNoAnchor || anchor == kGlobalTop) {
          return kNoAnchor;
        }
        if (anchor == kLineTop) {
          common = kLineTop;
        }
      }
      return common;
    }
    default:
      return kNoAnchor;
  }
}

// The character or literal code every match of the node begins with.
const TRECode* LeadCode(const TREBinCode& node) {
  switch (node.Op) {
    case opCode:
      return node.Code->Kind() == ckChar || node.Code->Kind() == ckLiteral ? node.Code : nullptr;
    case opConcat:
      for (const auto& item : node.Items) {
        if (item->Op != opEmply) {
          return LeadCode(*item);
        }
      }
      return nullptr;
    case opGroup:
    case opNoBackTrack:
      return LeadCode(*node.Items[0]);
    case opPlus:
    case opBound:
      return node.Min > 0 && node.Code->Kind() == ckChar ? node.Code : nullptr;
    case opLoop:
      return node.Min > 0 ? LeadCode(*node.Items[0]) : nullptr;
    default:
      return nullptr;
  }
}

// Collects the codes a match of the node can begin with; false if that
// cannot be known. `nullable`: the node can match without consuming.
bool CollectFirst(const TREBinCode& node, std::vector<const TRECode*>& codes, bool& nullable) {
  switch (node.Op) {
    case opCode: {
      const TRECodeKind kind = node.Code->Kind();
      if (kind == ckCallout || kind == ckReference || kind == ckNamedReference) {
        return false;
      }
      nullable = node.Code->IsZeroWidth();
      if (!nullable) {
        codes.push_back(node.Code);
      }
      return true;
    }
    case opConcat:
      nullable = true;
      for (const auto& item : node.Items) {
        bool item_nullable = false;
        if (!CollectFirst(*item, codes, item_nullable)) {
          return false;
        }
        if (!item_nullable) {
          nullable = false;
          break;
        }
      }
      return true;
    case opUnion:
      nullable = false;
      for (const auto& item : node.Items) {
        bool item_nullable = false;
        if (!CollectFirst(*item, codes, item_nullable)) {
          return false;
        }
        nullable = nullable || item_nullable;
      }
      return true;
    case opGroup:
    case opNoBackTrack:
      return CollectFirst(*node.Items[0], codes, nullable);
    case opStar:
    case opPlus:
    case opBound:
      codes.push_back(node.Code);
      nullable = node.Min == 0;
      return true;
    case opLoop: {
      if (!CollectFirst(*node.Items[0], codes, nullable)) {
        return false;
      }
      nullable = nullable || node.Min == 0;
      return true;
    }
    case opIfThen:
    case opIfMatch: {
      const std::size_t first = node.Op == opIfMatch ? 1 : 0;
      nullable = node.Items.size() <= first + 1;
      for (std::size_t i = first; i < node.Items.size(); ++i) {
        bool branch_nullable = false;
        if (!CollectFirst(*node.Items[i], codes, branch_nullable)) {
          return false;
        }
        nullable = nullable || branch_nullable;
      }
      return true;
    }
    case opGoSub:
      return false;
    case opFail:
      nullable = false;
      return true;
    default:
      // Lookarounds, \K, DEFINE and the empty item take nothing.
      nullable = true;
      return true;
  }
}

// A character or literal code that every match contains: the longest such
// item among the top-level sequence.
const TRECode* RequiredCode(const TREBinCode& root) {
  const TREBinCode* items = &root;
  while (items->Op == opGroup || items->Op == opNoBackTrack) {
    items = items->Items[0].get();
  }
  const TRECode* best = nullptr;
  const auto consider = [&best](const TREBinCode& item) {
    const TREBinCode* node = &item;
    while (node->Op == opGroup || node->Op == opNoBackTrack) {
      node = node->Items[0].get();
    }
    if (node->Op == opCode &&
        (node->Code->Kind() == ckLiteral || node->Code->Kind() == ckChar) &&
        (best == nullptr || node->Code->MinUnits() > best->MinUnits())) {
      best = node->Code;
    }
  };
  if (items->Op == opConcat) {
    for (const auto& item : items->Items) {
      consider(*item);
    }
  } else {
    consider(*items);
  }
  return best;
}

}  // namespace

void SetPrefiltersEnabled(bool enabled) { g_prefilters_enabled = enabled; }

bool PrefiltersEnabled() { return g_prefilters_enabled; }

void Optimize(const TREBinCode& root, TRECompiledProgram& program) {
  TREOptimizeData& data = program.Optimize;
  data = TREOptimizeData();
  if (program.HasVerbs || program.HasCallouts) {
    return;
  }
  data.MinLength = NodeMinUnits(root);
  switch (FirstAnchor(root)) {
    case kTextTop:
      data.LeadMode = lcmTextTop;
      data.Kind = odkTextHead;
      break;
    case kLineTop:
      data.LeadMode = lcmLineTop;
      data.Kind = odkLineHead;
      break;
    case kGlobalTop:
      data.LeadMode = lcmAnchor;
      data.GlobalPosTop = true;
      break;
    case kNoAnchor:
      break;
  }
  std::vector<const TRECode*> firsts;
  bool nullable = true;
  const bool known = CollectFirst(root, firsts, nullable);
  if (known && !nullable) {
    for (char16_t unit = 0; unit < 128; ++unit) {
      bool allowed = false;
      for (const TRECode* code : firsts) {
        allowed = allowed || code->CanStartWith(unit);
      }
      data.LeadMap.Ascii[unit] = allowed;
    }
    bool non_ascii = false;
    for (const TRECode* code : firsts) {
      non_ascii = non_ascii || code->CanStartNonAscii();
    }
    data.LeadMap.NonAscii = non_ascii;
  }
  if (data.LeadMode == lcmNone) {
    if (const TRECode* lead = LeadCode(root)) {
      data.LeadCode = lead;
      data.LeadMode = root.Op == opCode ? lcmSimple : lcmFirstLiteral;
      data.Kind = odkLead;
    } else if (known && !nullable) {
      data.LeadMode = lcmMap;
    }
  }
  if (const TRECode* required = RequiredCode(root);
      required != nullptr && required != data.LeadCode) {
    data.PreMatchMode = pmExitst;
    data.PreMatchCode = required;
  }
}

}  // namespace tenrovel::regex
