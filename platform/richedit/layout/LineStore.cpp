#include "platform/richedit/layout/LineStore.h"

namespace richedit {
namespace {

using Lines = std::vector<LayoutLine>;

void splice(Lines& lines, size_t at, size_t count, const Lines& fresh)
{
    const auto from = lines.begin() + std::ptrdiff_t(at);
    lines.insert(lines.erase(from, from + std::ptrdiff_t(count)), fresh.begin(), fresh.end());
}

}  // namespace

LineStore::LineStore(const LineStore& other)
    : m_head(other.m_head),
      m_blocks(other.m_blocks ? std::make_unique<Blocks>(*other.m_blocks) : nullptr)
{
}

LineStore& LineStore::operator=(const LineStore& other)
{
    if (this != &other)
        *this = LineStore(other);
    return *this;
}

void LineStore::clear()
{
    if (m_blocks) {
        m_head = std::move(m_blocks->lines.front());
        m_blocks.reset();
    }
    m_head.clear();
}

void LineStore::push_back(const LayoutLine& line)
{
    if (!m_blocks) {
        if (m_head.size() < MaxBlock) {
            m_head.push_back(line);
            return;
        }
        makeBlocks();
    }
    Blocks& blocks = *m_blocks;
    if (blocks.lines.back().size() >= MaxBlock) {
        blocks.starts.push_back(blocks.size);
        blocks.lines.emplace_back().reserve(MaxBlock);
    }
    blocks.lines.back().push_back(line);
    ++blocks.size;
}

void LineStore::replace(size_t first, size_t count, const std::vector<LayoutLine>& fresh)
{
    if (!m_blocks) {
        splice(m_head, first, count, fresh);
        if (m_head.size() <= MaxBlock)
            return;
        makeBlocks();
        m_blocks->balance(0);
        return;
    }
    Blocks& blocks = *m_blocks;
    const size_t block = blocks.find(first);
    Lines& lines = blocks.lines[block];
    const size_t at = first - blocks.starts[block];
    if (at + count <= lines.size()) {
        splice(lines, at, count, fresh);
    } else {
        // The range runs into later blocks: the rest of the last one joins this one and the
        // ones between go.
        const size_t last = blocks.find(first + count - 1);
        const Lines& tail = blocks.lines[last];
        const auto kept = tail.begin() + std::ptrdiff_t(first + count - blocks.starts[last]);
        lines.resize(at);
        lines.insert(lines.end(), fresh.begin(), fresh.end());
        lines.insert(lines.end(), kept, tail.end());
        blocks.lines.erase(blocks.lines.begin() + std::ptrdiff_t(block) + 1,
                           blocks.lines.begin() + std::ptrdiff_t(last) + 1);
        blocks.starts.erase(blocks.starts.begin() + std::ptrdiff_t(block) + 1,
                            blocks.starts.begin() + std::ptrdiff_t(last) + 1);
    }
    blocks.size = blocks.size + fresh.size() - count;
    blocks.last = block;
    blocks.balance(block);
    if (blocks.lines.size() == 1) {
        m_head = std::move(blocks.lines.front());
        m_blocks.reset();
    }
}

void LineStore::makeBlocks()
{
    m_blocks = std::make_unique<Blocks>();
    m_blocks->size = m_head.size();
    m_blocks->lines.push_back(std::move(m_head));
    m_blocks->starts.push_back(0);
    m_head = {};
}

size_t LineStore::Blocks::search(size_t index) const
{
    // Past the end: the last block, where lines would be added.
    last = size_t(std::upper_bound(starts.begin(), starts.end(), index) - starts.begin()) - 1;
    return last;
}

void LineStore::Blocks::renumberFrom(size_t block)
{
    for (size_t b = std::max<size_t>(block, 1); b < lines.size(); ++b)
        starts[b] = starts[b - 1] + lines[b - 1].size();
}

void LineStore::Blocks::balance(size_t block)
{
    if (lines[block].size() < MaxBlock / 4 && lines.size() > 1) {
        const size_t into = block > 0 ? block - 1 : block;
        Lines& merged = lines[into];
        const Lines& next = lines[into + 1];
        merged.insert(merged.end(), next.begin(), next.end());
        lines.erase(lines.begin() + std::ptrdiff_t(into) + 1);
        starts.erase(starts.begin() + std::ptrdiff_t(into) + 1);
        block = into;
    }
    const size_t count = lines[block].size();
    if (count > MaxBlock) {
        // Equal pieces, each made to its size so that no block keeps an overgrown buffer.
        const size_t pieces = (count + MaxBlock - 1) / MaxBlock;
        std::vector<Lines> made(pieces);
        const Lines& whole = lines[block];
        for (size_t k = 0; k < pieces; ++k)
            made[k].assign(whole.begin() + std::ptrdiff_t(k * count / pieces),
                           whole.begin() + std::ptrdiff_t((k + 1) * count / pieces));
        lines[block] = std::move(made.front());
        lines.insert(lines.begin() + std::ptrdiff_t(block) + 1,
                     std::make_move_iterator(made.begin() + 1),
                     std::make_move_iterator(made.end()));
        starts.insert(starts.begin() + std::ptrdiff_t(block) + 1, pieces - 1, 0);
    }
    last = block;
    renumberFrom(block + 1);
}

}  // namespace richedit
