#include "platform/richedit/model/ParagraphIndex.h"

namespace richedit {

void ParagraphIndex::add(int index, int64_t delta)
{
    const size_t n = m_tree.size() - 1;
    for (size_t i = size_t(index) + 1; i <= n; i += i & (~i + 1))
        m_tree[i] += delta;
}

int64_t ParagraphIndex::prefix(int index) const
{
    int64_t sum = 0;
    for (size_t i = size_t(index); i > 0; i -= i & (~i + 1))
        sum += m_tree[i];
    return sum;
}

int ParagraphIndex::find(int64_t position, int64_t* rest) const
{
    const size_t n = m_tree.size() - 1;
    size_t step = 1;
    while (step * 2 <= n)
        step *= 2;
    size_t index = 0;
    int64_t left = position;
    for (; step > 0; step /= 2) {
        if (index + step <= n && m_tree[index + step] <= left) {
            index += step;
            left -= m_tree[index];
        }
    }
    if (rest)
        *rest = left;
    return n == 0 ? 0 : int(index < n ? index : n - 1);
}

}  // namespace richedit
