#include "lyrics/exchange_order.h"

#include <algorithm>
#include <random>
#include <utility>

namespace lumiqo {

namespace {

// Inserting a time t into the sorted prefix puts it after every equal time, and moves the
// first entry of every run of a larger time to that run's end (the entry that was pushed
// out of place travels right until it meets a strictly larger time). Each run of equal
// times is therefore a sequence that grows at its end and rotates left by one whenever a
// smaller time arrives. The rotations are counted with a Fenwick tree over the ranks of the
// times and applied lazily on an implicit treap per run.

class Fenwick {
public:
  explicit Fenwick(std::size_t n) : tree_(n + 1, 0) {}
  void add(std::size_t rank) {
    for (std::size_t i = rank + 1; i < tree_.size(); i += i & (~i + 1))
      ++tree_[i];
  }
  // How many added ranks are below `rank`.
  std::uint64_t countBelow(std::size_t rank) const {
    std::uint64_t sum = 0;
    for (std::size_t i = rank; i > 0; i -= i & (~i + 1))
      sum += tree_[i];
    return sum;
  }

private:
  std::vector<std::uint64_t> tree_;
};

constexpr std::uint32_t kNil = UINT32_MAX;

// Implicit treaps sharing one node pool; a tree is its root index.
class TreapPool {
public:
  explicit TreapPool(std::size_t capacity) { nodes_.reserve(capacity); }

  std::uint32_t make(std::size_t value) {
    nodes_.push_back({kNil, kNil, static_cast<std::uint32_t>(rng_()), 1, value});
    return static_cast<std::uint32_t>(nodes_.size() - 1);
  }
  std::uint32_t size(std::uint32_t t) const { return t == kNil ? 0 : nodes_[t].size; }

  std::uint32_t merge(std::uint32_t a, std::uint32_t b) {
    if (a == kNil)
      return b;
    if (b == kNil)
      return a;
    if (nodes_[a].priority > nodes_[b].priority) {
      nodes_[a].right = merge(nodes_[a].right, b);
      update(a);
      return a;
    }
    nodes_[b].left = merge(a, nodes_[b].left);
    update(b);
    return b;
  }

  // Splits t into its first k elements and the rest.
  std::pair<std::uint32_t, std::uint32_t> split(std::uint32_t t, std::uint32_t k) {
    if (t == kNil)
      return {kNil, kNil};
    if (size(nodes_[t].left) >= k) {
      auto [a, b] = split(nodes_[t].left, k);
      nodes_[t].left = b;
      update(t);
      return {a, t};
    }
    auto [a, b] = split(nodes_[t].right, k - size(nodes_[t].left) - 1);
    nodes_[t].right = a;
    update(t);
    return {t, b};
  }

  std::uint32_t rotateLeft(std::uint32_t t, std::uint64_t by) {
    const std::uint32_t n = size(t);
    if (n < 2 || by % n == 0)
      return t;
    auto [a, b] = split(t, static_cast<std::uint32_t>(by % n));
    return merge(b, a);
  }

  void appendInOrder(std::uint32_t t, std::vector<std::size_t> &out) const {
    // Iterative in-order walk: the trees are balanced in expectation only.
    std::vector<std::uint32_t> stack;
    while (t != kNil || !stack.empty()) {
      while (t != kNil) {
        stack.push_back(t);
        t = nodes_[t].left;
      }
      t = stack.back();
      stack.pop_back();
      out.push_back(nodes_[t].value);
      t = nodes_[t].right;
    }
  }

private:
  struct Node {
    std::uint32_t left, right, priority, size;
    std::size_t value;
  };
  void update(std::uint32_t t) { nodes_[t].size = 1 + size(nodes_[t].left) + size(nodes_[t].right); }

  std::vector<Node> nodes_;
  std::minstd_rand rng_{12345};
};

} // namespace

std::vector<std::size_t> exchangeSortOrder(const std::vector<std::int32_t> &times) {
  const std::size_t n = times.size();
  std::vector<std::int32_t> distinct(times);
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());

  Fenwick inserted(distinct.size());
  TreapPool pool(n);
  std::vector<std::uint32_t> runs(distinct.size(), kNil);
  std::vector<std::uint64_t> smallerSeen(distinct.size(), 0);

  for (std::size_t i = 0; i < n; ++i) {
    const auto rank = static_cast<std::size_t>(std::lower_bound(distinct.begin(), distinct.end(), times[i]) -
                                               distinct.begin());
    const std::uint64_t smaller = inserted.countBelow(rank);
    runs[rank] = pool.rotateLeft(runs[rank], smaller - smallerSeen[rank]);
    smallerSeen[rank] = smaller;
    runs[rank] = pool.merge(runs[rank], pool.make(i));
    inserted.add(rank);
  }

  std::vector<std::size_t> order;
  order.reserve(n);
  for (std::size_t rank = 0; rank < distinct.size(); ++rank) {
    const std::uint64_t smaller = inserted.countBelow(rank);
    pool.appendInOrder(pool.rotateLeft(runs[rank], smaller - smallerSeen[rank]), order);
  }
  return order;
}

std::vector<std::size_t> plainExchangeSortOrder(const std::vector<std::int32_t> &times) {
  std::vector<std::int32_t> t(times);
  std::vector<std::size_t> order(times.size());
  for (std::size_t k = 0; k < order.size(); ++k)
    order[k] = k;
  for (std::size_t i = 0; i < t.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (t[i] < t[j]) {
        std::swap(t[i], t[j]);
        std::swap(order[i], order[j]);
      }
  return order;
}

} // namespace lumiqo
