// The capture groups of TRegExp: captures, the group list and its name table.
#include <cstdint>

#include "regex/regex_messages.h"
#include "regex/regex_utf.h"
#include "regex/regexp.h"

namespace tenrovel::regex {

ERegExp::ERegExp(const std::u16string& message)
    : std::runtime_error(Utf16ToUtf8(message)), message_(message) {}

TRECompareOptions REOptionToCompareOptions(TREOptions options) {
  TRECompareOptions compare;
  compare.Set(coIgnoreCase, options.Contains(roIgnoreCase));
  compare.Set(coIgnoreWidth, options.Contains(roIgnoreWidth));
  compare.Set(coIgnoreKana, options.Contains(roIgnoreKana));
  return compare;
}

void TRECapture::SetStartP(int position) {
  pending_start_ = position;
  if (start_ < 0) {
    start_ = position;
  }
}

void TRECapture::SetEndP(int position) {
  start_ = pending_start_;
  end_ = position;
  success_ = pending_start_ >= 0;
}

void TRECapture::Clear() {
  *this = TRECapture();
}

void TRECapture::Assign(int start, int end) {
  start_ = start;
  pending_start_ = start;
  end_ = end;
  success_ = start >= 0 && end >= 0;
}

TRECaptureCollection::TRECaptureCollection() {
  items_.emplace_back();
}

void TRECaptureCollection::Push() {
  items_.emplace_back();
}

void TRECaptureCollection::Pop() {
  if (items_.size() > 1) {
    items_.pop_back();
  }
}

void TRECaptureCollection::Reset() {
  items_.clear();
  items_.emplace_back();
}

TGroup::TGroup(const TGroupCollection& owner, std::u16string name, int pattern_position)
    : owner_(&owner), name_(std::move(name)), pattern_position_(pattern_position) {}

bool TGroup::Success() const {
  return Capture().Success();
}

std::u16string TGroup::Strings() const {
  if (!Success()) {
    return {};
  }
  const TRECapture& capture = Capture();
  return owner_->Subject().substr(static_cast<std::size_t>(capture.StartP()),
                                  static_cast<std::size_t>(capture.EndP() - capture.StartP()));
}

int TGroup::Index() const {
  return Success() ? Capture().StartP() + 1 : 0;
}

int TGroup::Length() const {
  return Success() ? Capture().EndP() - Capture().StartP() : 0;
}

std::u16string TGroup::SubExpression() const {
  if (pattern_position_ < 0) {
    return {};
  }
  const std::u16string& expression = owner_->Expression();
  auto end = static_cast<std::size_t>(pattern_position_);
  int depth = 1;
  for (; end < expression.size(); ++end) {
    if (expression[end] == u'(') {
      ++depth;
    } else if (expression[end] == u')' && --depth == 0) {
      break;
    }
  }
  std::u16string text = expression.substr(static_cast<std::size_t>(pattern_position_),
                                          end - static_cast<std::size_t>(pattern_position_));
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\r' ||
                           text.back() == u'\n')) {
    text.pop_back();
  }
  return text;
}

bool TGroupCollectionEnumerator::MoveNext() {
  if (index_ + 1 >= groups_->Count()) {
    return false;
  }
  ++index_;
  return true;
}

TGroup& TGroupCollectionEnumerator::Current() {
  return groups_->Items(index_);
}

TGroupCollection::TGroupCollection(const std::u16string& subject, const std::u16string& expression)
    : subject_(&subject), expression_(&expression) {
  Clear();
}

TGroup& TGroupCollection::Items(int index) {
  return const_cast<TGroup&>(static_cast<const TGroupCollection&>(*this).Items(index));
}

const TGroup& TGroupCollection::Items(int index) const {
  if (index < 0 || index >= Count()) {
    throw ERegExpRuntime(FormatMessage(sRangeOverGroupNumber, index));
  }
  return *items_[static_cast<std::size_t>(index)];
}

TGroup& TGroupCollection::Names(std::u16string_view name) {
  return const_cast<TGroup&>(static_cast<const TGroupCollection&>(*this).Names(name));
}

const TGroup& TGroupCollection::Names(std::u16string_view name) const {
  int index = IndexOfName(name);
  if (index < 0) {
    throw ERegExpRuntime(FormatMessage(sMissingGroupName, name));
  }
  while (!Items(index).Success() && Items(index).SameGroup() >= 0) {
    index = Items(index).SameGroup();
  }
  return Items(index);
}

int TGroupCollection::NameBucket(std::u16string_view name) {
  std::uint32_t h = 0;
  for (const char16_t unit : name) {
    h = ((h << 2) | (h >> 30)) ^ unit;
  }
  return static_cast<int>(h % kNameBuckets);
}

std::vector<int> TGroupCollection::EnumIndexOfName(std::u16string_view name) const {
  std::vector<int> indexes;
  if (name.empty()) {
    return indexes;
  }
  for (const auto& [entry_name, index] : buckets_[NameBucket(name)]) {
    if (entry_name == name) {
      indexes.push_back(index);
    }
  }
  return indexes;
}

int TGroupCollection::IndexOfName(std::u16string_view name) const {
  const std::vector<int> indexes = EnumIndexOfName(name);
  return indexes.empty() ? -1 : indexes.front();
}

int TGroupCollection::IndexOfMatchedName(std::u16string_view name) const {
  for (const int index : EnumIndexOfName(name)) {
    if (items_[static_cast<std::size_t>(index)]->Success()) {
      return index;
    }
  }
  return -1;
}

bool TGroupCollection::IsDuplicateGroupName(std::u16string_view name) const {
  return EnumIndexOfName(name).size() > 1;
}

void TGroupCollection::Clear() {
  items_.clear();
  for (auto& bucket : buckets_) {
    bucket.clear();
  }
  items_.push_back(std::make_unique<TGroup>(*this, std::u16string(), -1));
}

int TGroupCollection::Add(std::u16string name, int pattern_position) {
  const int index = Count();
  if (!name.empty()) {
    buckets_[NameBucket(name)].emplace_back(name, index);
  }
  items_.push_back(std::make_unique<TGroup>(*this, std::move(name), pattern_position));
  return index;
}

void TGroupCollection::AddName(int index, std::u16string name) {
  buckets_[NameBucket(name)].emplace_back(std::move(name), index);
}

void TGroupCollection::ChainSameNames() {
  for (const auto& bucket : buckets_) {
    for (std::size_t i = 0; i < bucket.size(); ++i) {
      TGroup& group = *items_[static_cast<std::size_t>(bucket[i].second)];
      if (group.GroupName() != bucket[i].first) {
        continue;
      }
      group.SetSameGroup(-1);
      for (std::size_t j = i + 1; j < bucket.size(); ++j) {
        if (bucket[j].first == bucket[i].first && bucket[j].second != bucket[i].second) {
          group.SetSameGroup(bucket[j].second);
          break;
        }
      }
    }
  }
}

void TGroupCollection::ResetCaptures() {
  for (const std::unique_ptr<TGroup>& group : items_) {
    group->Captures().Reset();
  }
}

}  // namespace tenrovel::regex
