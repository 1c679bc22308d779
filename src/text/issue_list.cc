#include "text/issue_list.h"

#include <algorithm>
#include <map>
#include <set>

#include "text/issue_items.h"

namespace talor {
namespace {

// A stretch of numbers during cumulation: a single (first == last) or a
// range, with the index of the item it came from.
struct Interval {
  int64_t first = 0;
  int64_t last = 0;
  bool isRange = false;
  size_t source = 0;
};

// Runs of at least this many consecutive numbers become ranges.
constexpr size_t kShortestRun = 3;

// Folds runs of singles into ranges, then joins every range with the singles
// and ranges that lie inside it, overlap it or touch it. Components without
// a range stay singles. `intervals` holds one group; the result is sorted.
// A run takes the source of its first single, a joined range the earliest
// source among its parts.
std::vector<Interval> Cumulate(std::vector<Interval> intervals) {
  std::sort(intervals.begin(), intervals.end(), [](const Interval& a, const Interval& b) {
    return a.first != b.first ? a.first < b.first : a.isRange > b.isRange;
  });
  // Runs of singles, looked for among the singles alone.
  std::vector<Interval> singles;
  std::vector<Interval> folded;
  for (const Interval& interval : intervals) {
    (interval.isRange ? folded : singles).push_back(interval);
  }
  for (size_t i = 0; i < singles.size();) {
    size_t j = i + 1;
    while (j < singles.size() && singles[j].first == singles[j - 1].first + 1) ++j;
    if (j - i >= kShortestRun) {
      folded.push_back({singles[i].first, singles[j - 1].first, true, singles[i].source});
    } else {
      folded.insert(folded.end(), singles.begin() + static_cast<std::ptrdiff_t>(i),
                    singles.begin() + static_cast<std::ptrdiff_t>(j));
    }
    i = j;
  }
  std::sort(folded.begin(), folded.end(), [](const Interval& a, const Interval& b) {
    return a.first != b.first ? a.first < b.first : a.isRange > b.isRange;
  });
  // Components of intervals that overlap or touch their neighbours. After
  // the folding a component without a range is at most two singles, which
  // stay as they are.
  std::vector<Interval> result;
  for (size_t i = 0; i < folded.size();) {
    size_t j = i + 1;
    int64_t last = folded[i].last;
    bool hasRange = folded[i].isRange;
    while (j < folded.size() && folded[j].first <= last + 1) {
      last = std::max(last, folded[j].last);
      hasRange = hasRange || folded[j].isRange;
      ++j;
    }
    if (!hasRange) {
      result.insert(result.end(), folded.begin() + static_cast<std::ptrdiff_t>(i),
                    folded.begin() + static_cast<std::ptrdiff_t>(j));
    } else {
      Interval joined{folded[i].first, last, true, folded[i].source};
      for (size_t k = i; k < j; ++k) joined.source = std::min(joined.source, folded[k].source);
      result.push_back(joined);
    }
    i = j;
  }
  return result;
}

RangeKind KindOfGroup(const IssueGroup& group) {
  if (group.prefix.empty()) return group.suffix.empty() ? RangeKind::Plain : RangeKind::Suffixed;
  return group.suffix.empty() ? RangeKind::Prefixed : RangeKind::Framed;
}

// Cumulates the numbered items of every group in place.
void CumulateNumbers(IssueItems& items) {
  std::map<IssueGroup, std::vector<Interval>> groups;
  std::vector<IssueGroup> order;
  auto add = [&](const IssueGroup& group, const Interval& interval) {
    auto [it, inserted] = groups.try_emplace(group);
    if (inserted) order.push_back(group);
    it->second.push_back(interval);
  };
  // Sources: ranges are 0 .. R-1 and singles R and on, so that a joined range
  // takes its text from the earliest input range.
  size_t rangeCount = items.ranges.size();
  std::vector<IssueRange> kept;
  std::set<std::string> nonUniform;
  for (size_t i = 0; i < rangeCount; ++i) {
    const IssueRange& range = items.ranges[i];
    if (range.Uniform()) {
      add(range.left.Group(), {range.left.number, range.right.number, true, i});
    } else if (nonUniform.insert(range.Text()).second) {
      kept.push_back(range);  // sides of two groups: kept, duplicates dropped
    }
  }
  for (size_t i = 0; i < items.singles.size(); ++i) {
    const IssueSingle& single = items.singles[i];
    add(single.Group(), {single.number, single.number, false, rangeCount + i});
  }
  std::vector<std::pair<size_t, IssueRange>> ranges;
  std::vector<std::pair<size_t, IssueSingle>> singles;
  for (const IssueGroup& group : order) {
    for (const Interval& interval : Cumulate(groups[group])) {
      if (!interval.isRange) {
        singles.emplace_back(interval.source, items.singles[interval.source - rangeCount]);
        continue;
      }
      IssueRange range;
      if (interval.source < rangeCount) {
        range = items.ranges[interval.source];
      } else {
        // Made from singles only: their prefix and suffix frame both sides.
        range.left = items.singles[interval.source - rangeCount];
        range.right = range.left;
        items.plainHadRange = true;
      }
      range.left.number = interval.first;
      range.right.number = interval.last;
      range.kind = KindOfGroup(group);
      ranges.emplace_back(interval.source, std::move(range));
    }
  }
  std::stable_sort(ranges.begin(), ranges.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::sort(singles.begin(), singles.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  items.ranges.clear();
  for (auto& [source, range] : ranges) items.ranges.push_back(std::move(range));
  items.ranges.insert(items.ranges.end(), kept.begin(), kept.end());
  items.singles.clear();
  for (auto& [source, single] : singles) items.singles.push_back(std::move(single));
}

// Months of the list, as numbers into the month names.
struct Months {
  std::vector<Interval> ranges;
  std::set<int64_t> singles;
  std::vector<MonthRangeText> unresolved;  // written as they came
};

// Moves the copied items that name a month into `months.singles`.
void TakeMonthItems(const StringList& names, IssueItems& items, Months& months) {
  std::vector<std::string> rest;
  for (std::string& item : items.verbatim) {
    std::optional<int> month = FindMonth(names, item, false);
    if (month) {
      months.singles.insert(*month);
    } else {
      rest.push_back(std::move(item));
    }
  }
  items.verbatim = std::move(rest);
}

// A month range whose sides both name months, first not after last.
std::optional<Interval> ResolveMonthRange(const StringList& names, const MonthRangeText& range) {
  std::optional<int> first = FindMonth(names, range.left, true);
  std::optional<int> last = FindMonth(names, range.right, true);
  if (!first || !last || *last < *first) return std::nullopt;
  return Interval{*first, *last, true, 0};
}

Months CumulateMonths(const StringList& names, IssueItems& items) {
  Months months;
  TakeMonthItems(names, items, months);
  std::vector<Interval> intervals;
  for (int64_t month : months.singles) intervals.push_back({month, month, false, 0});
  for (const MonthRangeText& range : items.monthRanges) {
    std::optional<Interval> resolved = ResolveMonthRange(names, range);
    if (resolved) {
      intervals.push_back(*resolved);
    } else {
      months.unresolved.push_back(range);
    }
  }
  months.singles.clear();
  for (const Interval& interval : Cumulate(std::move(intervals))) {
    if (interval.isRange) {
      months.ranges.push_back(interval);
    } else {
      months.singles.insert(interval.first);
    }
  }
  return months;
}

Months ExpandMonths(const StringList& names, IssueItems& items) {
  Months months;
  TakeMonthItems(names, items, months);
  for (const MonthRangeText& range : items.monthRanges) {
    std::optional<Interval> resolved = ResolveMonthRange(names, range);
    if (!resolved) {
      months.unresolved.push_back(range);
      continue;
    }
    for (int64_t month = resolved->first; month <= resolved->last; ++month) {
      months.singles.insert(month);
    }
  }
  return months;
}

// Replaces every uniform range that is not too long by its members, plain
// ranges first; members already present are not added again. A range that
// does not fit the list's limit stays; the same one cannot fit when the
// output is expanded again, since the list then starts with all members.
void ExpandNumbers(IssueItems& items) {
  std::set<std::pair<IssueGroup, int64_t>> present;
  for (const IssueSingle& single : items.singles) present.emplace(single.Group(), single.number);
  std::vector<IssueRange> kept;
  for (RangeKind kind :
       {RangeKind::Plain, RangeKind::Suffixed, RangeKind::Prefixed, RangeKind::Framed}) {
    for (const IssueRange& range : items.ranges) {
      if (range.kind != kind) continue;
      long long members = range.right.number - range.left.number + 1;
      long long total = static_cast<long long>(items.singles.size()) + members;
      if (!range.Uniform() || members > kMaxIssueRangeMembers || total > kMaxIssueListMembers) {
        kept.push_back(range);
        // A plain range with a prefix or suffix is written with them on both
        // sides, so it goes where such a range is read back into.
        if (range.Uniform()) kept.back().kind = KindOfGroup(range.left.Group());
        continue;
      }
      IssueGroup group = range.left.Group();
      for (int64_t n = range.left.number; n <= range.right.number; ++n) {
        if (!present.emplace(group, n).second) continue;
        IssueSingle member = range.left;
        member.number = n;
        items.singles.push_back(std::move(member));
      }
    }
  }
  items.ranges = std::move(kept);
}

// One written item of a section.
struct OutItem {
  std::pair<IssueGroup, IssueGroup> group;
  int64_t first = 0;
  bool isRange = false;
  std::string text;
  size_t rank = 0;  // the order of its group
};

// Group by group, each group fixed by the first remaining item (the items
// come ranges first) and written in ascending order of first number, a
// range before a single of the same number.
void WriteByGroups(std::vector<OutItem> items, std::vector<std::string>& out) {
  std::map<std::pair<IssueGroup, IssueGroup>, size_t> ranks;
  for (OutItem& item : items) item.rank = ranks.try_emplace(item.group, ranks.size()).first->second;
  std::stable_sort(items.begin(), items.end(), [](const OutItem& a, const OutItem& b) {
    if (a.rank != b.rank) return a.rank < b.rank;
    if (a.first != b.first) return a.first < b.first;
    return a.isRange && !b.isRange;
  });
  for (OutItem& item : items) out.push_back(std::move(item.text));
}

// In passes: each pass walks the unwritten singles in input order and, for
// each, writes the smallest unwritten single of its group.
void WriteInPasses(const std::vector<IssueSingle>& singles, std::vector<std::string>& out) {
  std::map<IssueGroup, std::set<std::pair<int64_t, size_t>>> remaining;
  std::vector<IssueGroup> groups;
  for (size_t i = 0; i < singles.size(); ++i) {
    groups.push_back(singles[i].Group());
    remaining[groups[i]].emplace(singles[i].number, i);
  }
  std::vector<bool> written(singles.size(), false);
  std::vector<size_t> pending(singles.size());
  for (size_t i = 0; i < pending.size(); ++i) pending[i] = i;
  while (!pending.empty()) {
    std::vector<size_t> next;
    for (size_t i : pending) {
      if (written[i]) continue;
      auto& group = remaining[groups[i]];
      size_t smallest = group.begin()->second;
      group.erase(group.begin());
      written[smallest] = true;
      out.push_back(singles[smallest].Text());
      if (!written[i]) next.push_back(i);
    }
    pending = std::move(next);
  }
}

OutItem RangeItem(const IssueRange& range) {
  return {{range.left.Group(), range.right.Group()}, range.left.number, true, range.Text(), 0};
}

void WritePlain(const IssueItems& items, std::vector<std::string>& out) {
  std::vector<OutItem> grouped;
  for (const IssueRange& range : items.ranges) {
    if (range.kind == RangeKind::Plain) grouped.push_back(RangeItem(range));
  }
  if (!items.plainHadRange && grouped.empty()) {
    WriteInPasses(items.singles, out);
    return;
  }
  for (const IssueSingle& single : items.singles) {
    IssueGroup group = single.Group();
    grouped.push_back({{group, group}, single.number, false, single.Text(), 0});
  }
  WriteByGroups(std::move(grouped), out);
}

void WriteMonths(const StringList& names, const Months& months, std::vector<std::string>& out) {
  auto name = [&](int64_t month) { return names[static_cast<size_t>(month)].text; };
  std::vector<Interval> ranges = months.ranges;
  std::sort(ranges.begin(), ranges.end(),
            [](const Interval& a, const Interval& b) { return a.first < b.first; });
  for (const Interval& range : ranges) out.push_back(name(range.first) + "-" + name(range.last));
  for (int64_t month : months.singles) out.push_back(name(month));
  for (const MonthRangeText& range : months.unresolved) {
    out.push_back(range.left + "-" + range.right);
  }
}

void WriteOtherRanges(const IssueItems& items, std::vector<std::string>& out) {
  for (RangeKind kind : {RangeKind::Suffixed, RangeKind::Prefixed, RangeKind::Framed}) {
    std::vector<OutItem> grouped;
    for (const IssueRange& range : items.ranges) {
      if (range.kind == kind) grouped.push_back(RangeItem(range));
    }
    WriteByGroups(std::move(grouped), out);
  }
}

}  // namespace

std::string NormalizeIssueList(const StringList& monthNames, std::string_view list,
                               IssueListMode mode) {
  bool haveMonths = !monthNames.empty();
  IssueItems items = ParseIssueItems(list, haveMonths);
  Months months;
  if (mode == IssueListMode::Cumulate) {
    CumulateNumbers(items);
    if (haveMonths) months = CumulateMonths(monthNames, items);
  } else {
    ExpandNumbers(items);
    if (haveMonths) months = ExpandMonths(monthNames, items);
  }
  std::vector<std::string> out;
  WritePlain(items, out);
  if (haveMonths) WriteMonths(monthNames, months, out);
  for (const std::string& item : items.verbatim) out.push_back(item);
  WriteOtherRanges(items, out);
  std::string result;
  for (const std::string& item : out) {
    if (!result.empty()) result += ',';
    result += item;
  }
  return result;
}

}  // namespace talor
