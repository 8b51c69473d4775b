// TRegExp: the regular-expression engine of Tenrovel.
//
// A backtracking engine over UTF-16 text (std::u16string) with Perl-style
// syntax and Japanese comparison options. Positions and lengths given to and
// returned by this interface are 1-based indexes and counts of UTF-16 code
// units. This header is the engine's manual; the stages behind it are
// regex_lexer.h, regex_parser.h, regex_compiler.h, regex_matcher.h,
// regex_prefilter.h, regex_quick_search.h and regex_codes.h.
//
// USE
//
//   TRegExp re;
//   re.SetExpression(u"Finf%2F(.*?)%2F");
//   re.SetIgnoreCase(true);
//   for (bool found = re.Exec(subject); found; found = re.ExecNext()) {
//     Use(re.Groups()[0].Strings(), re.Groups()[1].Strings());
//   }
//
// One-shot use: RegIsMatch, RegMatch, RegReplace, RegSplit (below).
//
// SYNTAX
//
//   Characters
//     x            the character x (a surrogate pair is one character)
//     \t \n \r \f \a \e   TAB, LF, CR, FF, BEL, ESC
//     \0oo         octal: \0 and up to two more octal digits
//     \cX          control character: X xor 0x40 (X in @..._ or a-z)
//     \xHH         up to two hexadecimal digits
//     \x{H...}     one to six hexadecimal digits, at most 10FFFF
//     \Q...\E      everything between taken literally
//     \ + other    that character literally (\y is "y", \* is "*")
//     \E           (outside \Q) nothing, as in Perl
//     ｶﾞ           under IgnoreWidth a half-width letter and its voiced
//                  mark are one character (ｶﾞ+ repeats the pair)
//   Classes
//     .            any character but LF VT FF CR U+0085 U+2028 U+2029
//                  (any character at all with SingleLine)
//     \N           any character but those line breaks, whatever the options
//     [abc] [^a-z] character class. ']' is a literal when the next character
//                  is ']' too or when it follows '[^' directly ("[]]" holds
//                  ']', "[]a]" is an empty class: an error); '-' is literal
//                  when last or next to a class escape; no nesting, no set
//                  algebra; inside, \b \B \A \E \G \K \N \Q \R \X \Z \g \k
//                  \z are the plain letters, \1-\7 octal, \8 \9 the digits
//     [:alpha:]    POSIX classes inside a class: alnum alpha ascii blank
//                  cntrl digit graph lower print punct space upper xdigit
//                  word any assigned; [:^alpha:] negates; always Unicode
//     \d \D        decimal digit (Nd); legacy: 0-9
//     \w \W        letter, mark, Nd or Pc; legacy: A-Z a-z 0-9 _
//     \s \S        TAB LF FF CR U+0085 or a separator (Z); legacy: TAB LF
//                  FF CR SPACE. VT is white space in neither sense.
//     \h \H        horizontal space; \v \V vertical space (LF-CR, U+0085,
//                  U+2028, U+2029)
//     \R           CR LF (as one unit) or any one \v character
//     \X           one character and the combining marks (M) after it
//     \p{Lu} \pL \P{Han} \p{^Greek}   Unicode 6.1 general category, major
//                  class (\pL \pM \pN \pP \pS \pZ), script, block
//                  (\p{InHiragana}, \p{IsHiragana}) or POSIX name
//                  (\p{IsAlpha}, \p{IsSpacePerl}); case, '-', '_' and white
//                  space in names are ignored
//   Anchors and assertions
//     ^ $          window start / end or before a final line break; with
//                  MultiLine ^ also after every line break (not at the
//                  window end), $ before every line break. Line breaks: LF
//                  VT FF CR U+0085 U+2028 U+2029 (CR LF: two)
//     \A \Z \z     window start; end or before a run of line breaks; end
//     \b \B        word boundary by the \w test (legacy or Unicode); outside
//                  the window counts as a non-word character
//     \G           where the previous match ended (window start at first)
//     (?=X) (?!X)  lookahead; (?<=X) (?<!X) lookbehind: no quantifiers,
//                  back references or subroutine calls inside; alternatives
//                  may differ in length. Lookarounds are atomic.
//     \K           the reported match starts here (nothing in a lookaround)
//   Groups
//     (X)          capture (numbered by opening parenthesis; not with
//                  NamedGroupOnly)
//     (?<n>X) (?'n'X) (?P<n>X)   named capture; names may repeat
//     (?:X)        no capture;  (?flags:X) with options; (?flags) to the
//                  end of the enclosing group
//     (?|X|Y)      branch reset: each alternative numbers from the same group
//     (?>X)        atomic group
//     (?#...)      comment;  (?) nothing
//   Repetition (counts up to 32767; 32767 also means "no limit")
//     X* X+ X? X{n} X{n,} X{n,m}   greedy; add ? for lazy, + for possessive;
//                  blanks may follow '{' and ','
//     a{,3}        (no digit after '{') is the literal text "a{,3}"
//     ^* and the like repeat nothing; \b \B \A \Z \z and lookaheads may not
//                  be repeated
//   Back references and subroutine calls
//     \1..\7       back reference
//     \8 \9        back reference, or the digit if the whole pattern has
//                  fewer groups
//     \NN          back reference if NN groups were opened before it, else
//                  up to three octal digits (\12 is LF), else the digits
//     \g1 \g{1} \g-1 \g{-1} \k<1> \k1 \k-1 \k<n> \k'n' \k{n} \g{n} (?P=n)
//                  references by number, relative number and name; with
//                  NamedGroupOnly only by name
//     (?R) (?0) (?1) (?+1) (?-1) (?&n) (?P>n) \g<n> \g'n' \g<1> \g<-1>
//                  calls. A call matches the group anew (capturing inside
//                  the call); the caller's captures come back when it
//                  returns. A call that reaches itself again at the same
//                  position fails; a group that is nothing but a call to
//                  itself is a compile error.
//   Conditionals
//     (?(1)Y|N) (?(<n>)Y|N) (?('n')Y|N)   group has captured
//     (?(R)Y|N) (?(R1)Y|N) (?(R&n)Y|N)    inside a call (to that group)
//     (?(?=X)Y|N) and the other lookarounds
//     (?(?Cn)Y|N)                         the callout decides (an assertion
//                                         may follow: (?(?C1)(?=X)Y|N))
//     (?(DEFINE)...)                      groups for calls only
//   Verbs and callouts (as PCRE2: confined to assertions and calls)
//     (*FAIL) (*F) (?!)  fail here
//     (*ACCEPT)          end the match (or the call or assertion) here
//     (*COMMIT)          on backtracking: no match at all
//     (*PRUNE)           on backtracking: no match at this start
//     (*SKIP)            on backtracking: next attempt starts here
//     (*SKIP:n)          ... at the last (*MARK:n) on the path (if any)
//     (*THEN)            on backtracking: next alternative of the
//                        innermost enclosing alternation
//     (*MARK:n) (*:n)    name this point (RegMark, RegError); (*PRUNE:n),
//                        (*THEN:n), (*COMMIT:n) mark too
//     (?C) (?Cn)         callout n (0-255) to OnCallout, which may accept it
//                        and let it consume some units; without a handler,
//                        or if the handler does not accept, the path fails
//
// OPTIONS (TREOptions; inline letters in parentheses)
//   roIgnoreCase (i)    characters compare by their simple upper-case
//                       mapping of Unicode 6.1 (so "s" matches U+017F, but
//                       "k" not the Kelvin sign). A class matches a
//                       character if it or one of its case partners is in
//                       it ([a-z] matches "Q"; [^a-z] does not); class
//                       escapes, properties and POSIX classes are not folded.
//   roMultiLine (m)     ^ and $ at every line break
//   roNamedGroupOnly (n) plain (...) does not capture
//   roSingleLine (s)    . matches line breaks
//   roExtended (x)      TAB LF CR SPACE in the pattern are skipped, also in
//                       classes and in \Q...\E; '#' is an ordinary character
//   roIgnoreWidth (w)   full-width and half-width forms compare equal:
//                       ASCII U+0020-U+007E as the full-width forms, half-
//                       width katakana as full-width katakana, and a half-
//                       width katakana followed by a half-width voiced or
//                       semi-voiced mark as the one composed letter: a half-
//                       width ｶﾞ is two code units and matches one full-width
//                       ガ, and the other way round. A half-width base before
//                       its mark is no character of its own then ("ｶ" does
//                       not match in "ｶﾞ"). Classes take a character if it or
//                       its one-character width partner is in them.
//   roIgnoreKana (k)    hiragana U+3041-U+3096, ゝ ゞ compare as katakana
//   roDefinedCharClassLegacy (no letter)  \d \w \s \b \B in their ASCII
//                       sense
//   roAutoCallout       callout 255 before every item and quantifier
// An option written inline ends with its group; (?-im) clears i and SETS m
// (a '-' applies to the one letter after it). Inline options never change
// the object's Options.
//
// MATCHING
//   Leftmost match; at one start, the first by the order of alternatives and
//   the greed of each quantifier, as in Perl. Backtracking runs on an
//   explicit stack: the machine stack does not grow with the subject. Every
//   iteration of a loop keeps its alternatives for backtracking (so
//   "(a|ab)*c" finds "abc"); possessive loops, atomic groups and lookarounds
//   are atomic. A surrogate pair is one character everywhere: no match and
//   no capture starts or ends between its halves (ExecNext steps over a
//   pair after an empty match); a lone surrogate is a character of its own.
//   Under IgnoreWidth a match may start at the mark of a half-width pair,
//   which is a character of its own there.
//   ExecNext continues at the end of the last match, one character further
//   after an empty one. A window (ExecPos with a length) bounds everything:
//   nothing before its start or at its end is read, ^ \A and lookbehind stop
//   at its start.
//
// LIMITS
//   - Patterns nested deeper than kMaxNesting (1000) groups are a compile
//     error.
//   - Counts above 32767 are a compile error.
//   - A failure memo keeps nested quantifiers over the same text linear
//     ("(a*)*b", "(?:a|aa)+b", "(x+x+)+y") where it is sound: not for
//     patterns with back references, conditions, callouts or verbs, not
//     inside lookarounds or groups that a call or recursion runs. Every
//     match call has a step budget: kMatchStepLimit steps (states run,
//     alternatives resumed, repetitions given back one by one, units taken
//     by a repeated single item, units a literal compares) or 64 per code
//     unit of the window if that is more, unless SetStepLimit gave the
//     object a budget of its own. A call that needs more raises
//     ERegExpRuntime "バックトラックの回数が上限を超えました" instead of running
//     for ever: exponential or quadratic work the memo cannot cut.
//
// NOT SUPPORTED
//   Nested classes and class set algebra, \u, \o, named characters, \N{...},
//   Unicode properties of versions other than 6.1, full (multi-character)
//   case folding, (?J) and the other PCRE-only option letters, '#' comments
//   in extended mode, quantifiers inside a lookbehind, callouts with string
//   arguments, (*UTF) and the other start-of-pattern settings.
//
// ERRORS
//   Compile errors raise ERegExpCompile with "M; P": M the message (for
//   most, prefixed with the offending pattern text and "..."), P the pattern
//   with " <-- " at the error position. Misuse at run time raises
//   ERegExpRuntime. A failed match is a false result, never an exception
//   (but for an exhausted step budget).
//
// THREADS
//   A TRegExp holds its matching state; use one object from one thread at a
//   time. Distinct objects are independent. The Unicode name table is built
//   before main() and read-only afterwards; the folding table of the ASCII
//   characters that compiled patterns share is built once, on first use
//   (under C++'s guarded static initialization), and only read afterwards;
//   the prefilter and step-budget switches of the tests (regex_prefilter.h,
//   regex_matcher.h) are global.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tenrovel::regex {

inline constexpr std::u16string_view kRegExpVersion = u"2.6.2";
// Deepest nesting of groups and other parenthesised constructs.
inline constexpr int kMaxNesting = 1000;
// Backtracking steps one match call may take before it gives up.
inline constexpr std::int64_t kMatchStepLimit = 10'000'000;

// A set of enumeration members, one bit each (Pascal's "set of").
template <typename E, typename Bits>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> members) {
    for (const E member : members) {
      Include(member);
    }
  }
  static constexpr TEnumSet FromBits(Bits bits) {
    TEnumSet set;
    set.bits_ = bits;
    return set;
  }

  constexpr bool Contains(E member) const { return (bits_ & Bit(member)) != 0; }
  constexpr void Include(E member) { bits_ = static_cast<Bits>(bits_ | Bit(member)); }
  constexpr void Exclude(E member) { bits_ = static_cast<Bits>(bits_ & ~Bit(member)); }
  constexpr void Set(E member, bool on) { on ? Include(member) : Exclude(member); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr Bits ToBits() const { return bits_; }

  friend constexpr bool operator==(TEnumSet, TEnumSet) = default;
  friend constexpr TEnumSet operator+(TEnumSet a, TEnumSet b) {
    return FromBits(static_cast<Bits>(a.bits_ | b.bits_));
  }
  friend constexpr TEnumSet operator-(TEnumSet a, TEnumSet b) {
    return FromBits(static_cast<Bits>(a.bits_ & ~b.bits_));
  }
  friend constexpr TEnumSet operator*(TEnumSet a, TEnumSet b) {
    return FromBits(static_cast<Bits>(a.bits_ & b.bits_));
  }

 private:
  static constexpr Bits Bit(E member) { return static_cast<Bits>(Bits{1} << member); }
  Bits bits_ = 0;
};

enum TREOption : std::uint8_t {
  roNone,
  roIgnoreCase,
  roMultiLine,
  roNamedGroupOnly,
  roSingleLine,
  roExtended,
  roIgnoreWidth,
  roIgnoreKana,
  roDefinedCharClassLegacy,
  roAutoCallout,
};
using TREOptions = TEnumSet<TREOption, std::uint16_t>;

// The options of a new TRegExp and of the free functions' default argument.
inline constexpr TREOptions RegExpDefaultOptions{};

// The part of the options that governs how two characters compare.
enum TRECompareOption : std::uint8_t { coIgnoreCase, coIgnoreWidth, coIgnoreKana };
using TRECompareOptions = TEnumSet<TRECompareOption, std::uint8_t>;

TRECompareOptions REOptionToCompareOptions(TREOptions options);

// The "wide string list" of RegMatch, RegSplit and Split.
using TWideStringList = std::vector<std::u16string>;

// Base of the engine's exceptions; carries only its message, which what()
// gives in UTF-8.
class ERegExp : public std::runtime_error {
 public:
  explicit ERegExp(const std::u16string& message);
  const std::u16string& Message() const { return message_; }

 private:
  std::u16string message_;
};

// A pattern that cannot be compiled ("M; P", see ERRORS above).
class ERegExpCompile : public ERegExp {
 public:
  using ERegExp::ERegExp;
};

// Misuse at run time: ExecNext before Exec, a group index or name that does
// not exist, an exhausted step budget.
class ERegExpRuntime : public ERegExp {
 public:
  using ERegExp::ERegExp;
};

// One capture of a group. Positions are 0-based code-unit offsets into the
// subject; -1 means "not set". Setting the start records a pending start
// (and the start itself if none is set yet); setting the end takes the
// pending start as the start and marks success.
class TRECapture {
 public:
  int StartP() const { return start_; }
  int EndP() const { return end_; }
  bool Success() const { return success_; }
  void SetStartP(int position);
  void SetEndP(int position);
  void Clear();
  // Sets a finished capture at once (as the engine reports them).
  void Assign(int start, int end);

 private:
  int start_ = -1;
  int pending_start_ = -1;
  int end_ = -1;
  bool success_ = false;
};

// The capture stack of a group; the visible capture is the top entry.
class TRECaptureCollection {
 public:
  TRECaptureCollection();
  int Count() const { return static_cast<int>(items_.size()); }
  TRECapture& Items(int index) { return items_.at(static_cast<std::size_t>(index)); }
  const TRECapture& Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  TRECapture& Top() { return items_.back(); }
  const TRECapture& Top() const { return items_.back(); }
  void Push();
  void Pop();
  // Leaves one empty entry.
  void Reset();

 private:
  std::vector<TRECapture> items_;
};

class TGroupCollection;

// One capture group (group 0 is the whole match).
class TGroup {
 public:
  TGroup(const TGroupCollection& owner, std::u16string name, int pattern_position);

  const std::u16string& GroupName() const { return name_; }
  // The captured text; empty if the group did not take part.
  std::u16string Strings() const;
  // 1-based position in InputString; 0 if the group did not take part.
  int Index() const;
  // 0 if the group did not take part.
  int Length() const;
  bool Success() const;
  // The group's pattern text between its parentheses (found by counting '('
  // and ')' only), trailing white space removed; empty for group 0.
  std::u16string SubExpression() const;

  TRECaptureCollection& Captures() { return captures_; }
  const TRECaptureCollection& Captures() const { return captures_; }
  const TRECapture& Capture() const { return captures_.Top(); }
  // 0-based offset in Expression just after the group's opening
  // parenthesis (-1 for group 0).
  int PatternPosition() const { return pattern_position_; }
  // Index of the next group bearing the same name; -1 if none.
  int SameGroup() const { return same_group_; }
  void SetSameGroup(int index) { same_group_ = index; }

 private:
  const TGroupCollection* owner_;
  std::u16string name_;
  int pattern_position_;
  int same_group_ = -1;
  TRECaptureCollection captures_;
};

class TGroupCollectionEnumerator {
 public:
  explicit TGroupCollectionEnumerator(TGroupCollection& groups) : groups_(&groups) {}
  bool MoveNext();
  TGroup& Current();

 private:
  TGroupCollection* groups_;
  int index_ = -1;
};

// The groups of a pattern: item 0 (the whole match) always exists.
class TGroupCollection {
 public:
  static constexpr int kNameBuckets = 17;

  // `subject` and `expression` are the owner's texts, read by TGroup.
  TGroupCollection(const std::u16string& subject, const std::u16string& expression);
  TGroupCollection(const TGroupCollection&) = delete;
  TGroupCollection& operator=(const TGroupCollection&) = delete;

  // Groups including group 0.
  int Count() const { return static_cast<int>(items_.size()); }
  // ERegExpRuntime "グループ番号<%d>は範囲を越えています" outside 0..Count-1.
  TGroup& Items(int index);
  const TGroup& Items(int index) const;
  TGroup& operator[](int index) { return Items(index); }
  const TGroup& operator[](int index) const { return Items(index); }
  // The group of that name; of several, the first with a successful capture
  // along the chain, else the last of the chain. ERegExpRuntime
  // "グループ名<%s>は存在しません" for an unknown name.
  TGroup& Names(std::u16string_view name);
  const TGroup& Names(std::u16string_view name) const;
  // First index bearing the name, or -1.
  int IndexOfName(std::u16string_view name) const;
  // First index bearing the name whose capture succeeded, or -1.
  int IndexOfMatchedName(std::u16string_view name) const;
  // Every index bearing the name, in insertion order.
  std::vector<int> EnumIndexOfName(std::u16string_view name) const;
  bool IsDuplicateGroupName(std::u16string_view name) const;

  TGroupCollectionEnumerator GetEnumerator() { return TGroupCollectionEnumerator(*this); }

  // Bucket of a name in the name table: h := rotl(h, 2) xor unit, mod 17.
  static int NameBucket(std::u16string_view name);

  // Building (by the compiler) and filling (by the engine).
  void Clear();
  // Adds a group and returns its index; a named group is also entered in
  // the name table (after any group already bearing that name).
  int Add(std::u16string name, int pattern_position);
  // Enters one more name for an existing group (a branch reset can give
  // one number several names).
  void AddName(int index, std::u16string name);
  // Links groups that share a name (each to the next one of the name).
  void ChainSameNames();
  void ResetCaptures();
  const std::u16string& Subject() const { return *subject_; }
  const std::u16string& Expression() const { return *expression_; }

 private:
  const std::u16string* subject_;
  const std::u16string* expression_;
  std::vector<std::unique_ptr<TGroup>> items_;
  // Per bucket: (name, group index) in insertion order.
  std::vector<std::pair<std::u16string, int>> buckets_[kNameBuckets];
};

// What OnCallout receives through its data pointer.
struct TCalloutData {
  std::int32_t Version;            // always 1
  std::int32_t CalloutNumber;      // 0-255
  std::int32_t CurrentPosition;    // 1-based subject position of the callout
  std::int32_t StartMatch;         // 1-based start of the current attempt
  std::int32_t PatternPosition;    // 1-based pattern position of the next item
  std::int32_t NextPatternLength;  // pattern length of that item
};
using PCalloutData = TCalloutData*;

class TRegExp;

using TNotifyEvent = std::function<void(TRegExp& sender)>;
// The callout succeeds only if the handler sets is_match; it then advances
// by match_length code units (both start as false and 0).
using TCalloutEvent =
    std::function<void(TRegExp& sender, PCalloutData data, bool& is_match, int& match_length)>;
using TRegExpReplaceEvent = std::function<void(TRegExp& sender, std::u16string& replace_with)>;
using TRegExpReplaceFunction = std::function<std::u16string(TRegExp& sender)>;

class TRECompiledProgram;
class TREMatchEngine;

class TRegExp {
 public:
  // Indexes of the Boolean option accessors GetOptions/SetOptions.
  static constexpr TREOption kOptionOfIndex[8] = {roIgnoreCase, roMultiLine,  roNamedGroupOnly,
                                                  roSingleLine, roExtended,   roIgnoreWidth,
                                                  roIgnoreKana, roAutoCallout};

  // Create: empty pattern, RegExpDefaultOptions, no subject, no match.
  TRegExp();
  ~TRegExp();
  TRegExp(const TRegExp&) = delete;
  TRegExp& operator=(const TRegExp&) = delete;

  const std::u16string& Expression() const { return expression_; }
  void SetExpression(std::u16string_view expression);

  TREOptions Options() const { return options_; }
  void SetOptions(TREOptions options);
  bool GetOptions(int index) const;
  void SetOptions(int index, bool value);

  bool IgnoreCase() const { return GetOptions(0); }
  void SetIgnoreCase(bool value) { SetOptions(0, value); }
  bool MultiLine() const { return GetOptions(1); }
  void SetMultiLine(bool value) { SetOptions(1, value); }
  bool NamedGroupOnly() const { return GetOptions(2); }
  void SetNamedGroupOnly(bool value) { SetOptions(2, value); }
  bool SingleLine() const { return GetOptions(3); }
  void SetSingleLine(bool value) { SetOptions(3, value); }
  bool Extended() const { return GetOptions(4); }
  void SetExtended(bool value) { SetOptions(4, value); }
  bool IgnoreWidth() const { return GetOptions(5); }
  void SetIgnoreWidth(bool value) { SetOptions(5, value); }
  bool IgnoreKana() const { return GetOptions(6); }
  void SetIgnoreKana(bool value) { SetOptions(6, value); }
  bool AutoCallout() const { return GetOptions(7); }
  void SetAutoCallout(bool value) { SetOptions(7, value); }
  bool DefineCharClassLegacy() const;
  void SetDefineCharClassLegacy(bool value);
  // True only if both IgnoreWidth and IgnoreKana are set; writing sets both.
  bool IgnoreZenHan() const;
  void SetIgnoreZenHan(bool value);

  const std::u16string& InputString() const { return input_string_; }
  // Stores the subject, clears the memo and the match state; the window is
  // the whole subject.
  void SetInputString(std::u16string_view input);

  // Matches from the start of `input` (which becomes InputString).
  bool Exec(std::u16string_view input);
  // Continues after the last match (one character further after an empty
  // match). ERegExpRuntime "Execメソッドが実行されていません" if the pattern
  // is not compiled; false at once if the last attempt failed.
  bool ExecNext();
  // Matches InputString from the 1-based `index` inside a window of `length`
  // code units from there (the rest of the subject if length <= 0).
  bool ExecPos(int index = 1, int length = 0);

  TGroupCollection& Groups() { return groups_; }
  const TGroupCollection& Groups() const { return groups_; }
  // Groups without group 0 (compiles if needed).
  int GroupCount();
  std::u16string GroupNameFromIndex(int index);
  // Of the groups bearing the name, the first with a successful capture,
  // else the first; -1 if no group bears it.
  int IndexFromGroupName(std::u16string_view name);

  // The last mark name reached in the last successful match; empty if none.
  std::u16string RegMark() const;
  // The mark name that was current when the last match failed; empty if none.
  std::u16string RegError() const;

  std::u16string Version() const { return GetVersion(); }
  static std::u16string GetVersion() { return std::u16string(kRegExpVersion); }

  // Replaces every non-empty match (the first `count` if count > 0) from the
  // 1-based `index` by the template (DecodeEscape'd, then Substitute'd) and
  // returns the result; OnReplace may change each replacement.
  std::u16string Replace(std::u16string_view input, std::u16string_view replacement, int index = 1,
                         int count = 0);
  // As above, each replacement being replace_func(*this).
  std::u16string Replace(std::u16string_view input, const TRegExpReplaceFunction& replace_func,
                         int index = 1, int count = 0);
  // The pieces between non-empty matches (at most `count` if count >= 2).
  void Split(std::u16string_view input, TWideStringList& strings, int index = 1, int count = 0);
  // Expands $0..$9, ${name}, $&, $$, $`, $', $_, $+ against the last match.
  std::u16string Substitute(std::u16string_view template_text);

  static std::u16string DecodeEscape(std::u16string_view s);
  static std::u16string EncodeEscape(std::u16string_view s);
  static std::u16string EscapeRegExChars(std::u16string_view s);

  static bool RegIsMatch(std::u16string_view regexp, std::u16string_view input,
                         TREOptions options = RegExpDefaultOptions);
  static bool RegMatch(std::u16string_view regexp, std::u16string_view input,
                       TWideStringList& matches, TREOptions options = RegExpDefaultOptions);
  static std::u16string RegReplace(std::u16string_view regexp, std::u16string_view input,
                                   std::u16string_view replace_str,
                                   TREOptions options = RegExpDefaultOptions);
  static std::u16string RegReplace(std::u16string_view regexp, std::u16string_view input,
                                   const TRegExpReplaceFunction& replace_func,
                                   TREOptions options = RegExpDefaultOptions);
  static void RegSplit(std::u16string_view regexp, std::u16string_view input,
                       TWideStringList& pieces, TREOptions options = RegExpDefaultOptions);

  // The step budget of one match call; 0 (the default) is the rule of
  // LIMITS above, any other value the budget itself.
  std::int64_t StepLimit() const { return step_limit_; }
  void SetStepLimit(std::int64_t limit) { step_limit_ = limit > 0 ? limit : 0; }

  const TNotifyEvent& OnMatch() const { return on_match_; }
  void SetOnMatch(TNotifyEvent handler) { on_match_ = std::move(handler); }
  const TCalloutEvent& OnCallout() const { return on_callout_; }
  void SetOnCallout(TCalloutEvent handler) { on_callout_ = std::move(handler); }
  const TRegExpReplaceEvent& OnReplace() const { return on_replace_; }
  void SetOnReplace(TRegExpReplaceEvent handler) { on_replace_ = std::move(handler); }

  // Whether the last match attempt succeeded.
  bool Matched() const { return matched_; }
  // 0-based code-unit offsets of the last match (both the window start after
  // a failed attempt).
  int MatchBegin() const { return match_begin_; }
  int MatchEnd() const { return match_end_; }
  // Whether the pattern is compiled for the current options.
  bool Compiled() const { return compiled_; }
  // Compiles now if needed (Exec and ExecPos do it themselves).
  void Compile();

 private:
  friend class TREMatchEngine;

  bool MatchEntry(int start);
  void ClearMatchState();

  std::u16string expression_;
  TREOptions options_;
  std::u16string input_string_;
  // Window [window_begin_, window_end_) as 0-based offsets.
  int window_begin_ = 0;
  int window_end_ = 0;
  int match_begin_ = 0;
  int match_end_ = 0;
  bool matched_ = false;
  // The 1-based start index and length of the current window (ExecPos).
  int start_index_ = 1;
  int window_length_ = 0;
  // Set by SetInputString, cleared by the next match run.
  bool input_just_set_ = false;
  bool compiled_ = false;

  TGroupCollection groups_;
  std::unique_ptr<TRECompiledProgram> program_;
  std::unique_ptr<TREMatchEngine> engine_;
  bool has_subject_ = false;
  // Exec or ExecPos ran since the pattern was last compiled (ExecNext
  // needs that).
  bool exec_ready_ = false;
  // Where \G matches: the end of the previous match, else the window start.
  int global_pos_ = 0;
  int last_mark_ = -1;
  int error_mark_ = -1;
  std::int64_t step_limit_ = 0;

  TNotifyEvent on_match_;
  TCalloutEvent on_callout_;
  TRegExpReplaceEvent on_replace_;
  // The function of the Replace call under way (empty otherwise): the
  // replace step calls it instead of OnReplace.
  TRegExpReplaceFunction replace_function_;
};

// One-shot functions: each makes a TRegExp with the options and the pattern,
// does its work and discards it.
// Exec with NamedGroupOnly added (captures are not needed).
bool RegIsMatch(std::u16string_view regexp, std::u16string_view input,
                TREOptions options = RegExpDefaultOptions);
// Clears `matches`; on a match adds the text of groups 0..GroupCount
// (empty for a group that did not take part).
bool RegMatch(std::u16string_view regexp, std::u16string_view input, TWideStringList& matches,
              TREOptions options = RegExpDefaultOptions);
std::u16string RegReplace(std::u16string_view regexp, std::u16string_view input,
                          std::u16string_view replace_str,
                          TREOptions options = RegExpDefaultOptions);
std::u16string RegReplace(std::u16string_view regexp, std::u16string_view input,
                          const TRegExpReplaceFunction& replace_func,
                          TREOptions options = RegExpDefaultOptions);
// Clears `pieces`, then Split(input, pieces, 1, 0).
void RegSplit(std::u16string_view regexp, std::u16string_view input, TWideStringList& pieces,
              TREOptions options = RegExpDefaultOptions);
std::u16string DecodeEscape(std::u16string_view s);
std::u16string EncodeEscape(std::u16string_view s);

}  // namespace tenrovel::regex
