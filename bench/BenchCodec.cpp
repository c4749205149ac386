// The pair-text codec in MB/s both ways over the text of a full box scheme repeated, against a plain loop of
// strtol (parse) and of snprintf (format) over the same text and records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SensorKeyVal.h"

namespace {

// Keys and values as a scheme holds them: small keys, values of a few digits, a few -1.
std::vector<KeyVal> records() {
    std::vector<KeyVal> vec;
    for (u32 i = 0; i < 16 * 166; ++i) {
        u32 nKey = i % 166 < 5 ? 8000 + i % 166 : 16 + (i * 37) % 8200;
        u32 nValue = i % 23 == 0 ? 0xFFFFFFFFu : (i * 7919) % 100000;
        vec.push_back(KeyVal{nKey, nValue});
    }
    return vec;
}

std::string textOf(std::vector<KeyVal> p_vec) {
    std::string str;
    keyval_st2str(str, p_vec.data(), static_cast<u32>(p_vec.size()));
    return str;
}

void codecParse(benchmark::State& state) {
    const std::vector<KeyVal> vecRecords = records();
    const std::string strText = textOf(vecRecords);
    std::vector<KeyVal> vecOut(vecRecords.size());
    for (auto _ : state) {
        u32 nNum = 0;
        keyval_str2st(strText, vecOut.data(), &nNum, static_cast<u32>(vecOut.size()));
        benchmark::DoNotOptimize(nNum);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * strText.size()));
}

void codecParseFloor(benchmark::State& state) {
    const std::vector<KeyVal> vecRecords = records();
    const std::string strText = textOf(vecRecords);
    std::vector<KeyVal> vecOut(vecRecords.size());
    for (auto _ : state) {
        const char* p = strText.c_str();
        u32 nNum = 0;
        while (*p == '(' && nNum < vecOut.size()) {
            char* pEnd = nullptr;
            long nKey = std::strtol(p + 1, &pEnd, 10);
            if (*pEnd != ',') break;
            long nValue = std::strtol(pEnd + 1, &pEnd, 10);
            if (*pEnd != ')') break;
            vecOut[nNum].key = static_cast<u32>(nKey);
            vecOut[nNum].value = static_cast<u32>(nValue);
            ++nNum;
            p = pEnd + 1;
        }
        benchmark::DoNotOptimize(nNum);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * strText.size()));
}

void codecFormat(benchmark::State& state) {
    std::vector<KeyVal> vecRecords = records();
    const size_t nBytes = textOf(vecRecords).size();
    std::string strText;
    strText.reserve(nBytes);
    for (auto _ : state) {
        strText.clear();
        keyval_st2str(strText, vecRecords.data(), static_cast<u32>(vecRecords.size()));
        benchmark::DoNotOptimize(strText.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * nBytes));
}

void codecFormatFloor(benchmark::State& state) {
    const std::vector<KeyVal> vecRecords = records();
    const size_t nBytes = textOf(vecRecords).size();
    std::vector<char> vecBuf(nBytes + 32);
    for (auto _ : state) {
        size_t nPos = 0;
        for (const KeyVal& kv : vecRecords) {
            nPos += static_cast<size_t>(std::snprintf(&vecBuf[nPos], vecBuf.size() - nPos, "(%d,%d)",
                                                      static_cast<int>(kv.key), static_cast<int>(kv.value)));
        }
        benchmark::DoNotOptimize(vecBuf.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * nBytes));
}

}  // namespace

BENCHMARK(codecParse)->Name("codec.parse");
BENCHMARK(codecParseFloor)->Name("codec.parse.floor");
BENCHMARK(codecFormat)->Name("codec.format");
BENCHMARK(codecFormatFloor)->Name("codec.format.floor");
