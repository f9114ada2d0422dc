#include "kit_demod_dvbs_s2_blindscan_algo.h"

#include <stddef.h>

typedef kit_demod_dvbs_s2_blindscan_storage_t storage_t;
typedef kit_demod_dvbs_s2_blindscan_power_t power_t;
typedef kit_demod_dvbs_s2_blindscan_data_t data_t;

enum { SMOOTHING_BEFORE = 125, SMOOTHING_AFTER = 124, SMOOTHING_POINTS = 250 };

static uint32_t distance(uint32_t a, uint32_t b)
{
    return a > b ? a - b : b - a;
}

static data_t* tailOf(data_t* head)
{
    while (head->next)
        head = head->next;
    return head;
}

// Takes an entry from the pool, fills it and links it after tail; the new tail.
static kit_result_t append(storage_t* storage, data_t** tail, uint32_t freq, uint32_t rate, uint32_t min,
                           uint32_t max)
{
    data_t* e = NULL;
    const kit_result_t r = kit_demod_dvbs_s2_blindscan_AllocData(storage, &e);
    if (r != KIT_RESULT_OK)
        return r;
    e->freqKHz = freq;
    e->symbolRateKSps = rate;
    e->minSymbolRateKSps = min;
    e->maxSymbolRateKSps = max;
    (*tail)->next = e;
    *tail = e;
    return KIT_RESULT_OK;
}

// Unlinks the entry after prev and gives it back.
static kit_result_t dropAfter(storage_t* storage, data_t* prev)
{
    data_t* e = prev->next;
    prev->next = e->next;
    return kit_demod_dvbs_s2_blindscan_FreeData(storage, e);
}

static void moveAll(data_t* from, data_t* to)
{
    tailOf(to)->next = from->next;
    from->next = NULL;
}

int kit_demod_dvbs_s2_blindscan_algo_IsDetected(const data_t* detected, uint32_t freqKHz)
{
    for (const data_t* c = detected ? detected->next : NULL; c; c = c->next)
        if (2ull * distance(freqKHz, c->freqKHz) <= c->symbolRateKSps)
            return 1;
    return 0;
}

// ---- Areas and candidates ----

// Areas of one level: runs of points above it that start after a point at or below it and
// end at the next such point.
static kit_result_t cutAtLevel(storage_t* storage, const power_t* power, int32_t level, data_t* out)
{
    data_t* tail = tailOf(out);
    int seenBelow = 0, inArea = 0;
    uint32_t start = 0;
    for (const power_t* p = power->next; p; p = p->next) {
        const int above = p->power > level;
        if (inArea && !above) {
            const uint32_t end = p->freqKHz;
            const uint32_t centre = (start + end + 1000) / 2000 * 1000;
            const kit_result_t r = append(storage, &tail, centre, end - start, 0, 0);
            if (r != KIT_RESULT_OK)
                return r;
            inArea = 0;
        } else if (!inArea && above && seenBelow) {
            inArea = 1;
            start = p->freqKHz;
        }
        if (!above)
            seenBelow = 1;
    }
    return KIT_RESULT_OK;
}

// Neighbouring areas of one level taken together, as long as the gap between them is less
// than half their joint width and the joint width is a plausible carrier.
static kit_result_t pairAreas(storage_t* storage, const data_t* areas, uint32_t minWidth, uint32_t maxWidth,
                              data_t* out)
{
    data_t* tail = tailOf(out);
    for (const data_t* a = areas->next; a; a = a->next) {
        const uint32_t aLower = a->freqKHz - a->symbolRateKSps / 2;
        const uint32_t aUpper = a->freqKHz + a->symbolRateKSps / 2;
        for (const data_t* b = a->next; b; b = b->next) {
            const uint32_t bUpper = b->freqKHz + b->symbolRateKSps / 2;
            const uint32_t combined = bUpper - aLower;
            const uint32_t gap = b->freqKHz - (b->symbolRateKSps + 1) / 2 - aUpper;
            if (gap >= (combined + 1) / 2 || combined < minWidth || combined > maxWidth)
                break;
            const kit_result_t r = append(storage, &tail, (aLower + bUpper) / 2, combined, 0, 0);
            if (r != KIT_RESULT_OK)
                return r;
        }
    }
    return KIT_RESULT_OK;
}

// Moves the areas whose width lies in [minWidth, maxWidth] to collected, gives the rest back.
static kit_result_t keepPlausible(storage_t* storage, data_t* areas, uint32_t minWidth, uint32_t maxWidth,
                                  data_t* collected)
{
    data_t* tail = tailOf(collected);
    while (areas->next) {
        data_t* e = areas->next;
        if (e->symbolRateKSps < minWidth || e->symbolRateKSps > maxWidth) {
            const kit_result_t r = dropAfter(storage, areas);
            if (r != KIT_RESULT_OK)
                return r;
            continue;
        }
        areas->next = e->next;
        e->next = NULL;
        tail->next = e;
        tail = e;
    }
    return KIT_RESULT_OK;
}

static kit_result_t collectAreas(storage_t* storage, const power_t* power, int32_t levelStep, uint32_t minWidth,
                                 uint32_t maxWidth, int pairMode, data_t* collected)
{
    int32_t lowest = 0, highest = 0;
    for (const power_t* p = power->next; p; p = p->next) {
        if (p == power->next || p->power < lowest)
            lowest = p->power;
        if (p == power->next || p->power > highest)
            highest = p->power;
    }
    if (!power->next || levelStep <= 0)
        return KIT_RESULT_OK;
    for (int64_t level = highest; level >= lowest; level -= levelStep) {
        data_t areas = {0}, pairs = {0};
        kit_result_t r = cutAtLevel(storage, power, (int32_t)level, &areas);
        if (r == KIT_RESULT_OK && pairMode)
            r = pairAreas(storage, &areas, minWidth, maxWidth, &pairs);
        if (r == KIT_RESULT_OK)
            r = keepPlausible(storage, &areas, minWidth, maxWidth, collected);
        if (r == KIT_RESULT_OK)
            r = keepPlausible(storage, &pairs, minWidth, maxWidth, collected);
        if (r != KIT_RESULT_OK) {
            kit_demod_dvbs_s2_blindscan_ClearDataList(storage, &areas);
            kit_demod_dvbs_s2_blindscan_ClearDataList(storage, &pairs);
            return r;
        }
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_wagiri(storage_t* storage, const power_t* power, int32_t levelStep,
                                                     uint32_t minWidth, uint32_t maxWidth, uint32_t tolerance,
                                                     int pairMode, data_t* out)
{
    if (!storage || !power || !out)
        return KIT_RESULT_ERROR_ARG;
    data_t collected = {0};
    kit_result_t r = collectAreas(storage, power, levelStep, minWidth, maxWidth, pairMode, &collected);
    // Two areas of about the same place whose widths could both belong to one carrier: the
    // narrower one cut high on its shoulders, the wider one low on its skirts.
    data_t* tail = tailOf(out);
    for (const data_t* a = collected.next; a && r == KIT_RESULT_OK; a = a->next) {
        for (const data_t* b = a->next; b && r == KIT_RESULT_OK; b = b->next) {
            if (distance(a->freqKHz, b->freqKHz) > tolerance)
                continue;
            const uint32_t narrow = a->symbolRateKSps < b->symbolRateKSps ? a->symbolRateKSps : b->symbolRateKSps;
            const uint32_t wide = a->symbolRateKSps < b->symbolRateKSps ? b->symbolRateKSps : a->symbolRateKSps;
            const uint32_t low = wide * 7 / 10;
            const uint32_t high = (narrow * 16 + 9) / 10;
            if (low < high)
                r = append(storage, &tail, ((a->freqKHz + b->freqKHz) / 2 + 500) / 1000 * 1000, 0, low, high);
        }
    }
    const kit_result_t c = kit_demod_dvbs_s2_blindscan_ClearDataList(storage, &collected);
    return r != KIT_RESULT_OK ? r : c;
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_delete_duplicated_area(storage_t* storage, data_t* list,
                                                                     uint32_t tolerance)
{
    if (!storage || !list)
        return KIT_RESULT_ERROR_ARG;
    for (data_t* a = list->next; a; a = a->next) {
        data_t* prev = a;
        while (prev->next) {
            data_t* b = prev->next;
            const uint32_t smallerMin =
                a->minSymbolRateKSps < b->minSymbolRateKSps ? a->minSymbolRateKSps : b->minSymbolRateKSps;
            const int64_t reach = ((int64_t)smallerMin + 3) / 4 - (int64_t)tolerance;
            int merge = 0;
            if ((int64_t)distance(a->freqKHz, b->freqKHz) <= (reach > 0 ? reach : 0)) {
                if (b->minSymbolRateKSps <= a->maxSymbolRateKSps && a->maxSymbolRateKSps <= b->maxSymbolRateKSps) {
                    a->maxSymbolRateKSps = b->maxSymbolRateKSps;
                    merge = 1;
                } else if (b->minSymbolRateKSps <= a->minSymbolRateKSps &&
                           a->minSymbolRateKSps <= b->maxSymbolRateKSps) {
                    a->minSymbolRateKSps = b->minSymbolRateKSps;
                    merge = 1;
                }
            }
            if (!merge) {
                prev = b;
                continue;
            }
            const kit_result_t r = dropAfter(storage, prev);
            if (r != KIT_RESULT_OK)
                return r;
        }
        a->symbolRateKSps = (a->minSymbolRateKSps + a->maxSymbolRateKSps) / 2;
    }
    return KIT_RESULT_OK;
}

static void widths(uint32_t minSymbolRate, uint32_t maxSymbolRate, uint32_t* minWidth, uint32_t* maxWidth)
{
    *minWidth = (uint32_t)((uint64_t)minSymbolRate * 65 / 100);
    *maxWidth = (uint32_t)(((uint64_t)maxSymbolRate * 135 + 99) / 100);
}

// Between 20,000 and 30,000 ksps the estimate leans to the part of the range inside them.
static uint32_t estimate(uint32_t low, uint32_t high)
{
    if (high <= 20000 || low >= 30000)
        return (low + high) / 2;
    if (low > 20000 && high < 30000)
        return (low + high) / 2;
    if (low <= 20000 && high < 30000)
        return (high + 20000) / 2;
    if (low > 20000)
        return (low + 30000) / 2;
    return 25000;
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_GetCandidateNml(storage_t* storage, const power_t* power,
                                                              int32_t levelStep, uint32_t minSymbolRate,
                                                              uint32_t maxSymbolRate, uint32_t tolerance,
                                                              data_t* out)
{
    if (!storage || !power || !out)
        return KIT_RESULT_ERROR_ARG;
    uint32_t minWidth = 0, maxWidth = 0;
    widths(minSymbolRate, maxSymbolRate, &minWidth, &maxWidth);
    data_t found = {0};
    kit_result_t r =
        kit_demod_dvbs_s2_blindscan_algo_wagiri(storage, power, levelStep, minWidth, maxWidth, tolerance, 0, &found);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_blindscan_algo_delete_duplicated_area(storage, &found, tolerance);
    data_t* prev = &found;
    while (r == KIT_RESULT_OK && prev->next) {
        data_t* c = prev->next;
        if (c->minSymbolRateKSps < minSymbolRate)
            c->minSymbolRateKSps = minSymbolRate;
        if (c->maxSymbolRateKSps > maxSymbolRate)
            c->maxSymbolRateKSps = maxSymbolRate;
        if (c->minSymbolRateKSps > c->maxSymbolRateKSps) {
            r = dropAfter(storage, prev);
            continue;
        }
        c->symbolRateKSps = estimate(c->minSymbolRateKSps, c->maxSymbolRateKSps);
        prev = c;
    }
    if (r != KIT_RESULT_OK) {
        kit_demod_dvbs_s2_blindscan_ClearDataList(storage, &found);
        return r;
    }
    moveAll(&found, out);
    return KIT_RESULT_OK;
}

// Moving average over SMOOTHING_POINTS points, the ends repeated beyond the list. Points
// before the current one are already smoothed, so their measured values wait in a ring.
static void smooth(power_t* power)
{
    if (!power->next)
        return;
    int32_t first = power->next->power, last = first;
    for (const power_t* p = power->next; p; p = p->next)
        last = p->power;

    int32_t ring[SMOOTHING_BEFORE];
    for (int i = 0; i < SMOOTHING_BEFORE; ++i)
        ring[i] = first;
    // The window of the first point: the first value before it, itself and what follows.
    int64_t sum = (int64_t)first * SMOOTHING_BEFORE;
    const power_t* ahead = power->next;
    for (int i = 0; i <= SMOOTHING_AFTER; ++i) {
        sum += ahead ? ahead->power : last;
        if (ahead)
            ahead = ahead->next;
    }
    int slot = 0;
    for (power_t* p = power->next; p; p = p->next) {
        const int32_t measured = p->power;
        p->power = (int32_t)(sum / SMOOTHING_POINTS);
        // Slide: the oldest value leaves, the one after the window comes in.
        sum -= ring[slot];
        ring[slot] = measured;
        slot = (slot + 1) % SMOOTHING_BEFORE;
        sum += ahead ? ahead->power : last;
        if (ahead)
            ahead = ahead->next;
    }
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_GetCandidateMp(storage_t* storage, power_t* power, int32_t levelStep,
                                                             uint32_t minSymbolRate, uint32_t maxSymbolRate,
                                                             uint32_t tolerance, data_t* out)
{
    if (!storage || !power || !out)
        return KIT_RESULT_ERROR_ARG;
    uint32_t minWidth = 0, maxWidth = 0;
    widths(minSymbolRate, maxSymbolRate, &minWidth, &maxWidth);
    data_t found = {0};
    kit_result_t r =
        kit_demod_dvbs_s2_blindscan_algo_wagiri(storage, power, levelStep, minWidth, maxWidth, tolerance, 1, &found);
    if (r == KIT_RESULT_OK) {
        smooth(power);
        r = kit_demod_dvbs_s2_blindscan_algo_wagiri(storage, power, levelStep, minWidth, maxWidth, tolerance, 1,
                                                    &found);
    }
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_blindscan_algo_delete_duplicated_area(storage, &found, tolerance);
    if (r != KIT_RESULT_OK) {
        kit_demod_dvbs_s2_blindscan_ClearDataList(storage, &found);
        return r;
    }
    moveAll(&found, out);
    return KIT_RESULT_OK;
}

// ---- List operations ----

kit_result_t kit_demod_dvbs_s2_blindscan_algo_SeparateCandidate(storage_t* storage, data_t* list)
{
    if (!storage || !list)
        return KIT_RESULT_ERROR_ARG;
    data_t* prev = list;
    while (prev->next) {
        data_t* c = prev->next;
        const int64_t half = c->maxSymbolRateKSps / 2;
        const int64_t from = (int64_t)c->freqKHz - half, to = (int64_t)c->freqKHz + half;
        // The points take the candidate's place, in order.
        data_t points = {0};
        data_t* tail = &points;
        kit_result_t r = KIT_RESULT_OK;
        for (int64_t f = from; f <= to && r == KIT_RESULT_OK; f += 1000)
            if (f > 0)
                r = append(storage, &tail, (uint32_t)f, 0, 0, 0);
        if (r == KIT_RESULT_OK)
            r = dropAfter(storage, prev);
        if (r != KIT_RESULT_OK) {
            kit_demod_dvbs_s2_blindscan_ClearDataList(storage, &points);
            return r;
        }
        if (points.next) {
            tail->next = prev->next;
            prev->next = points.next;
            prev = tail;
        }
    }
    return KIT_RESULT_OK;
}

// Gives back every entry of the list the predicate picks, keeping the order of the rest.
typedef int (*pick_t)(const data_t* list, const data_t* entry, const void* context);

static kit_result_t dropWhere(storage_t* storage, data_t* list, pick_t pick, const void* context)
{
    if (!storage || !list)
        return KIT_RESULT_ERROR_ARG;
    data_t* prev = list;
    while (prev->next) {
        if (!pick(list, prev->next, context)) {
            prev = prev->next;
            continue;
        }
        const kit_result_t r = dropAfter(storage, prev);
        if (r != KIT_RESULT_OK)
            return r;
    }
    return KIT_RESULT_OK;
}

static int strictlyInsideChannel(const data_t* list, const data_t* e, const void* context)
{
    (void)list;
    for (const data_t* ch = ((const data_t*)context)->next; ch; ch = ch->next)
        if (2ull * distance(e->freqKHz, ch->freqKHz) < ch->symbolRateKSps)
            return 1;
    return 0;
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_ReduceCandidate(storage_t* storage, data_t* list,
                                                              const data_t* detected)
{
    if (!detected)
        return KIT_RESULT_ERROR_ARG;
    return dropWhere(storage, list, strictlyInsideChannel, detected);
}

// A later entry has the same frequency and rate.
static int repeatedLater(const data_t* list, const data_t* e, const void* context)
{
    (void)list, (void)context;
    for (const data_t* o = e->next; o; o = o->next)
        if (o->freqKHz == e->freqKHz && o->symbolRateKSps == e->symbolRateKSps)
            return 1;
    return 0;
}

// An earlier entry has the same frequency.
static int frequencySeenBefore(const data_t* list, const data_t* e, const void* context)
{
    (void)context;
    for (const data_t* o = list->next; o != e; o = o->next)
        if (o->freqKHz == e->freqKHz)
            return 1;
    return 0;
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate(storage_t* storage, data_t* list)
{
    return dropWhere(storage, list, repeatedLater, NULL);
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate2(storage_t* storage, data_t* list)
{
    return dropWhere(storage, list, frequencySeenBefore, NULL);
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_GetNonDetectedBand(storage_t* storage, uint32_t minKHz,
                                                                 uint32_t maxKHz, uint32_t stepKHz,
                                                                 const data_t* detected, data_t* out)
{
    if (!storage || !detected || !out || stepKHz == 0)
        return KIT_RESULT_ERROR_ARG;
    data_t* tail = tailOf(out);
    int inRun = 0;
    uint32_t runStart = 0, runEnd = 0;
    for (uint64_t f = minKHz; f <= (uint64_t)maxKHz + stepKHz; f += stepKHz) {
        const int free = f <= maxKHz && !kit_demod_dvbs_s2_blindscan_algo_IsDetected(detected, (uint32_t)f);
        if (free) {
            if (!inRun)
                runStart = (uint32_t)f;
            runEnd = (uint32_t)f;
            inRun = 1;
            continue;
        }
        if (inRun && (runEnd > runStart || runStart == minKHz)) {
            const kit_result_t r = append(storage, &tail, runStart, runEnd, 0, 0);
            if (r != KIT_RESULT_OK)
                return r;
        }
        inRun = 0;
    }
    return KIT_RESULT_OK;
}

// Stable insertion sort of the list by key.
static void sortBy(data_t* list, uint32_t (*key)(const data_t*, uint32_t), uint32_t reference)
{
    data_t sorted = {0};
    while (list->next) {
        data_t* e = list->next;
        list->next = e->next;
        const uint32_t k = key(e, reference);
        data_t* at = &sorted;
        while (at->next && key(at->next, reference) <= k)
            at = at->next;
        e->next = at->next;
        at->next = e;
    }
    list->next = sorted.next;
}

static uint32_t rateDistance(const data_t* e, uint32_t reference)
{
    return distance(e->symbolRateKSps, reference);
}

static uint32_t frequencyDistance(const data_t* e, uint32_t reference)
{
    return distance(e->freqKHz, reference);
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_SortBySymbolrate(data_t* list, uint32_t reference)
{
    if (!list)
        return KIT_RESULT_ERROR_ARG;
    sortBy(list, rateDistance, reference);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_algo_SortByFrequency(data_t* list, uint32_t reference)
{
    if (!list)
        return KIT_RESULT_ERROR_ARG;
    sortBy(list, frequencyDistance, reference);
    return KIT_RESULT_OK;
}
