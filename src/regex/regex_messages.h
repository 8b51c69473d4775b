// The engine's fixed messages (compile errors and run-time misuse) and the
// formatting of a compile error as "M; P".
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::regex {

// Compile errors; %s is the offending pattern text unless said otherwise.
inline constexpr std::u16string_view sNotRecognized = u"%s認識できない正規表現です";
inline constexpr std::u16string_view sHexDigitIsRequired = u"%s16進数が必要です";
inline constexpr std::u16string_view sCodePointRangeOver = u"%sコードポイントの範囲を超えています";
inline constexpr std::u16string_view sLoopOfMatchAheadNotSpecified =
    u"先読みでの繰り返しは指定できません";
inline constexpr std::u16string_view sUnmatchedBigPar = u"%s [ がマッチしません";
inline constexpr std::u16string_view sMissingRightBraceOnEscx = u"%s } がありません";
inline constexpr std::u16string_view sQuantifierIsTooLarge = u"%s繰り返しの数が大きすぎます";
inline constexpr std::u16string_view sCantDoMaxLessMin = u"%s最大値より最小値のほうが大きいです";
// %s: the class name.
inline constexpr std::u16string_view sPosixClassUnkown = u"[:%s:] はPOSIXクラスではありません";
// %s: the range text.
inline constexpr std::u16string_view sInvalideBigParRange = u"文字クラスの範囲指定が違います [%s]";
inline constexpr std::u16string_view sGroupNameIsEmpty = u"%sグループ名がありません";
inline constexpr std::u16string_view sGroupNumberIsEmpty = u"%sグループ番号がありません";
inline constexpr std::u16string_view sNoEndOfGroup = u"%sグループが終了していません";
inline constexpr std::u16string_view sUnmatchedSmallPar = u"%s ( がマッチしません";
inline constexpr std::u16string_view sOptionNotCompleted = u"%sオプションの指定が終了していません";
// %s: the property key.
inline constexpr std::u16string_view sPropertyUnknown = u"{%s} はプロパティではありません";
inline constexpr std::u16string_view sInvalidProperty = u"%sプロパティが不正です";
inline constexpr std::u16string_view sMissingRightBrace = u"%s ] がありません";
inline constexpr std::u16string_view sLoopOfLengthZeroCannotSpecified =
    u"%s長さゼロの繰り返しはできません";
inline constexpr std::u16string_view sRegExpNotCompleted = u"%s正規表現が正しく終了していません";
inline constexpr std::u16string_view sInvalidCharactorClass = u"%s不正な文字クラスです";
// %s: the group name.
inline constexpr std::u16string_view sCannotCallMultipleDefineGroupName =
    u"多重定義されたグループ名<%s>の部分式は呼び出せません";
// %d: the group number.
inline constexpr std::u16string_view sInvalidGroupNumber =
    u"グループ番号<%d>はこの位置からは参照できません";
// %s: the group name.
inline constexpr std::u16string_view sInvalidGroupName = u"グループ名<%s>の書式が間違っています";
inline constexpr std::u16string_view sInvalidCharInGroupName =
    u"グループ名の中に不正な文字があります";
inline constexpr std::u16string_view sNeverEndingRecursion =
    u"%s終了しないかもしない再帰があります";
inline constexpr std::u16string_view sBehindMatchNotVariableLength =
    u"%s戻り読み内で可変長文字列は使えません";
inline constexpr std::u16string_view sInvalideCondition = u"%s条件式が不正です";
inline constexpr std::u16string_view sContainsTooManyBranches = u"条件構文の分岐が多すぎます";
inline constexpr std::u16string_view sNotTerminated = u"%s正規表現が終了していません";
inline constexpr std::u16string_view sInvalidEscapeCharacterSyntax =
    u"%sエスケープ文字の書式が間違っています";
inline constexpr std::u16string_view sPosixClassSupportedOnlyClass =
    u"%sPOSIX文字クラスが使えるのは文字クラスの中だけです";
inline constexpr std::u16string_view sRangeOverCalloutNumber =
    u"%sコールアウト番号は 0 から 255 までです";
inline constexpr std::u16string_view sNothingToRepeat = u"%s繰り返す対象がありません";
inline constexpr std::u16string_view sConditionNotRecognized = u"%s条件式が認識できません";
inline constexpr std::u16string_view sUnterminatedVerbPattern =
    u"%sバックトラック制御記号が正しく終了していません";
inline constexpr std::u16string_view sUseNamedGroup =
    u"%sグループ番号では参照できません。グループ名を使ってください";
inline constexpr std::u16string_view sUnmatchedCurlyBracket = u"%s { がマッチしません";
// Added by this engine: a pattern nested deeper than kMaxNesting.
inline constexpr std::u16string_view sNestingTooDeep = u"%s入れ子が深すぎます";

// Run-time messages.
inline constexpr std::u16string_view sFatalError = u"致命的エラー";
inline constexpr std::u16string_view sExecFuncNotCall = u"Execメソッドが実行されていません";
inline constexpr std::u16string_view sRangeOverGroupNumber =
    u"グループ番号<%d>は範囲を越えています";
inline constexpr std::u16string_view sMissingGroupName = u"グループ名<%s>は存在しません";
inline constexpr std::u16string_view sNotFoundOldCode = u"BUG: not found OldCode";
inline constexpr std::u16string_view sBehindMatchNotGroup = u"%s戻り読み内でグループは使えません";
// Added by this engine: a match call exceeded kMatchStepLimit.
inline constexpr std::u16string_view sMatchStepLimit = u"バックトラックの回数が上限を超えました";

// The message with its first %s (or %d) replaced by `argument`.
std::u16string FormatMessage(std::u16string_view message, std::u16string_view argument);
std::u16string FormatMessage(std::u16string_view message, int argument);

// "M; P": `message` already formatted, then the pattern with " <-- " at the
// 0-based `error_position`.
std::u16string CompileErrorText(std::u16string_view message, std::u16string_view pattern,
                                int error_position);

}  // namespace tenrovel::regex
