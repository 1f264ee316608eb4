#include "engine/search/content_proof.h"

#include "engine/search/read_order.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace dw {

namespace {

struct FileRef {
    std::size_t set;
    std::size_t position;  // in its set
};

// Files still to be proved equal to their first file, which is the
// representative they are compared with.
struct Subset {
    std::size_t set;
    std::vector<std::size_t> positions;  // ascending; positions.front() is the representative
};

constexpr std::size_t kSlice = 64;

bool cancelled(const Progress* progress) { return progress && progress->cancelled(); }

// The proof reads whole files: by inode number, which on the usual file
// systems follows the place of the data closely enough, and costs nothing.
std::vector<std::size_t> inodeOrder(const std::vector<const FileEntry*>& files)
{
    std::vector<std::uint64_t> devices, inodes;
    for (const FileEntry* file : files) {
        devices.push_back(file->device);
        inodes.push_back(file->inode);
    }
    return diskOrder(devices, inodes);
}

// Splits the large sets by a digest of the whole contents; small sets (and
// the parts of large ones that share a digest) become subsets as they are.
bool splitByDigest(const std::vector<std::vector<const FileEntry*>>& sets, ReaderPool& pool,
                   Progress* progress, const ProofSettings& settings, std::vector<Subset>& subsets,
                   std::uint64_t& unreadable)
{
    std::vector<FileRef> refs;
    std::vector<const FileEntry*> files;
    for (std::size_t s = 0; s < sets.size(); ++s) {
        if (sets[s].size() < settings.digestFrom) {
            std::vector<std::size_t> all(sets[s].size());
            std::iota(all.begin(), all.end(), 0);
            subsets.push_back({s, std::move(all)});
            continue;
        }
        for (std::size_t p = 0; p < sets[s].size(); ++p) {
            refs.push_back({s, p});
            files.push_back(sets[s][p]);
        }
    }
    if (refs.empty())
        return true;

    std::vector<ContentDigest> digests(refs.size());
    std::vector<std::uint8_t> read(refs.size(), 0);
    const std::vector<std::size_t> order = inodeOrder(files);
    pool.forEach(order.size(), [&](std::size_t k, ReaderPool::Buffers& buffers) {
        const std::size_t i = order[k];
        if (!cancelled(progress))
            read[i] = settings.digest(*files[i], buffers.first, buffers.size, buffers.folders, progress,
                                      digests[i]);
    });
    if (cancelled(progress))
        return false;

    // refs holds each set's files together and in order: split set by set.
    for (std::size_t begin = 0; begin < refs.size();) {
        std::size_t end = begin;
        std::vector<std::size_t> readable;
        while (end < refs.size() && refs[end].set == refs[begin].set) {
            if (read[end])
                readable.push_back(end);
            else
                ++unreadable;
            ++end;
        }
        std::stable_sort(readable.begin(), readable.end(),
                         [&](std::size_t a, std::size_t b) { return digests[a] < digests[b]; });
        for (std::size_t i = 0; i < readable.size();) {
            std::size_t j = i + 1;
            while (j < readable.size() && digests[readable[j]] == digests[readable[i]])
                ++j;
            if (j - i >= 2) {
                Subset subset{refs[begin].set, {}};
                for (std::size_t k = i; k < j; ++k)
                    subset.positions.push_back(refs[readable[k]].position);
                subsets.push_back(std::move(subset));
            }
            i = j;
        }
        begin = end;
    }
    return true;
}

}  // namespace

bool proveCandidateSets(const std::vector<std::vector<const FileEntry*>>& sets, ReaderPool& pool,
                        Progress* progress, const ProofSettings& settings,
                        std::vector<std::vector<std::vector<std::size_t>>>& groups,
                        std::uint64_t& unreadable)
{
    groups.assign(sets.size(), {});
    std::vector<Subset> pending;
    if (!splitByDigest(sets, pool, progress, settings, pending, unreadable))
        return false;

    // Each round compares every file with its subset's first file. The files
    // that differ (a digest collision, or a small set never digested) form a
    // subset of their own for the next round; each round settles at least
    // the representative of every subset, so the rounds end.
    while (!pending.empty()) {
        // Work pieces: up to kSlice files of one subset, compared with its
        // first file, which a thread then opens once for all of them.
        struct Piece {
            std::size_t subset;
            std::size_t from;  // index into the subset's positions, >= 1
            std::size_t count;
        };
        std::vector<Piece> pieces;
        std::size_t pairCount = 0;
        std::vector<std::size_t> pieceOutcomes;  // where each piece's outcomes start
        for (std::size_t s = 0; s < pending.size(); ++s) {
            const std::size_t members = pending[s].positions.size();
            for (std::size_t from = 1; from < members; from += kSlice) {
                pieces.push_back({s, from, std::min(kSlice, members - from)});
                pieceOutcomes.push_back(pairCount);
                pairCount += pieces.back().count;
            }
        }
        std::vector<const FileEntry*> firsts;
        for (const Piece& piece : pieces)
            firsts.push_back(sets[pending[piece.subset].set][pending[piece.subset].positions.front()]);
        const std::vector<std::size_t> order = inodeOrder(firsts);
        std::vector<Comparison> outcomes(pairCount, Comparison::Cancelled);
        pool.forEach(pieces.size(), [&](std::size_t k, ReaderPool::Buffers& buffers) {
            const std::size_t p = order[k];
            const Piece& piece = pieces[p];
            const Subset& subset = pending[piece.subset];
            const std::vector<const FileEntry*>& files = sets[subset.set];
            const FileEntry* others[kSlice];
            for (std::size_t i = 0; i < piece.count; ++i)
                others[i] = files[subset.positions[piece.from + i]];
            compareWithFirst(*files[subset.positions.front()], others, piece.count, buffers.first,
                             buffers.second, buffers.size, buffers.folders, progress,
                             &outcomes[pieceOutcomes[p]]);
        });
        if (cancelled(progress))
            return false;

        std::vector<Subset> next;
        std::size_t pair = 0;
        for (Subset& subset : pending) {
            const std::size_t members = subset.positions.size();
            bool representativeFailed = false;
            for (std::size_t k = 1; k < members; ++k)
                representativeFailed |= outcomes[pair + k - 1] == Comparison::FirstUnreadable;
            std::vector<std::size_t> equal{subset.positions.front()};
            std::vector<std::size_t> rest;
            for (std::size_t k = 1; k < members; ++k, ++pair) {
                const Comparison outcome = outcomes[pair];
                if (outcome == Comparison::SecondUnreadable)
                    ++unreadable;
                else if (outcome == Comparison::Equal && !representativeFailed)
                    equal.push_back(subset.positions[k]);
                else
                    rest.push_back(subset.positions[k]);
            }
            if (representativeFailed)
                ++unreadable;
            else if (equal.size() >= 2)
                groups[subset.set].push_back(std::move(equal));
            if (rest.size() >= 2)
                next.push_back({subset.set, std::move(rest)});
        }
        pending = std::move(next);
    }
    for (auto& setGroups : groups) {
        std::sort(setGroups.begin(), setGroups.end(),
                  [](const auto& a, const auto& b) { return a.front() < b.front(); });
    }
    return true;
}

}  // namespace dw
