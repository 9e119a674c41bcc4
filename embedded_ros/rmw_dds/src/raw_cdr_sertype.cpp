#include "raw_cdr_sertype.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "dds/dds.h"
#include "dds/ddsi/ddsi_serdata.h"
#include "dds/ddsi/ddsi_sertype.h"
#include "dds/ddsi/q_radmin.h"

namespace rmw_dds
{
namespace detail
{
namespace
{

struct RawSerdata : ddsi_serdata
{
  std::vector<uint8_t> bytes;
};

RawSerdata * new_serdata(const ddsi_sertype * type, ddsi_serdata_kind kind)
{
  auto * data = new RawSerdata();
  ddsi_serdata_init(data, type, kind);
  data->hash = type->serdata_basehash;
  return data;
}

const RawSerdata & raw(const ddsi_serdata * data) { return *static_cast<const RawSerdata *>(data); }

bool serdata_eqkey(const ddsi_serdata *, const ddsi_serdata *) { return true; }

uint32_t serdata_size(const ddsi_serdata * data)
{
  return static_cast<uint32_t>(raw(data).bytes.size());
}

ddsi_serdata * serdata_from_ser(
  const ddsi_sertype * type, ddsi_serdata_kind kind, const nn_rdata * fragment, size_t size)
{
  auto * data = new_serdata(type, kind);
  data->bytes.resize(size);
  uint32_t offset = 0;
  for (; fragment != nullptr; fragment = fragment->nextfrag) {
    if (fragment->maxp1 > offset) {
      const auto * payload =
        NN_RMSG_PAYLOADOFF(fragment->rmsg, NN_RDATA_PAYLOAD_OFF(fragment)) + offset - fragment->min;
      const size_t count = std::min<size_t>(fragment->maxp1, size) - offset;
      std::memcpy(data->bytes.data() + offset, payload, count);
      offset = fragment->maxp1;
    }
  }
  return data;
}

ddsi_serdata * serdata_from_ser_iov(
  const ddsi_sertype * type, ddsi_serdata_kind kind, ddsrt_msg_iovlen_t count,
  const ddsrt_iovec_t * iov, size_t size)
{
  auto * data = new_serdata(type, kind);
  data->bytes.reserve(size);
  for (ddsrt_msg_iovlen_t i = 0; i < count && data->bytes.size() < size; ++i) {
    const auto * begin = static_cast<const uint8_t *>(iov[i].iov_base);
    const size_t take = std::min<size_t>(iov[i].iov_len, size - data->bytes.size());
    data->bytes.insert(data->bytes.end(), begin, begin + take);
  }
  return data;
}

ddsi_serdata * serdata_from_keyhash(const ddsi_sertype * type, const ddsi_keyhash *)
{
  return new_serdata(type, SDK_KEY);
}

ddsi_serdata * serdata_from_sample(
  const ddsi_sertype * type, ddsi_serdata_kind kind, const void * sample)
{
  auto * data = new_serdata(type, kind);
  if (kind == SDK_DATA) {
    data->bytes = static_cast<const RawCdrSample *>(sample)->bytes;
    // Cyclone copies whole 4-byte units to the network.
    data->bytes.resize((data->bytes.size() + 3) / 4 * 4, 0);
  }
  return data;
}

void serdata_to_ser(const ddsi_serdata * data, size_t offset, size_t size, void * buffer)
{
  std::memcpy(buffer, raw(data).bytes.data() + offset, size);
}

ddsi_serdata * serdata_to_ser_ref(
  const ddsi_serdata * data, size_t offset, size_t size, ddsrt_iovec_t * reference)
{
  reference->iov_base = const_cast<uint8_t *>(raw(data).bytes.data() + offset);
  reference->iov_len = static_cast<ddsrt_iov_len_t>(size);
  return ddsi_serdata_ref(data);
}

void serdata_to_ser_unref(ddsi_serdata * data, const ddsrt_iovec_t *) { ddsi_serdata_unref(data); }

bool serdata_to_sample(const ddsi_serdata * data, void * sample, void **, void *)
{
  static_cast<RawCdrSample *>(sample)->bytes = raw(data).bytes;
  return true;
}

ddsi_serdata * serdata_to_untyped(const ddsi_serdata * data)
{
  auto * untyped = new_serdata(data->type, SDK_KEY);
  untyped->type = nullptr;
  return untyped;
}

bool serdata_untyped_to_sample(const ddsi_sertype *, const ddsi_serdata *, void *, void **, void *)
{
  return true;
}

void serdata_free(ddsi_serdata * data) { delete static_cast<RawSerdata *>(data); }

size_t serdata_print(const ddsi_sertype *, const ddsi_serdata * data, char * buffer, size_t size)
{
  const int written = std::snprintf(buffer, size, "%zu CDR bytes", raw(data).bytes.size());
  return written < 0 ? 0 : static_cast<size_t>(written);
}

void serdata_get_keyhash(const ddsi_serdata *, ddsi_keyhash * keyhash, bool)
{
  std::memset(keyhash->value, 0, sizeof(keyhash->value));
}

const ddsi_serdata_ops kSerdataOps = {
  serdata_eqkey,
  serdata_size,
  serdata_from_ser,
  serdata_from_ser_iov,
  serdata_from_keyhash,
  serdata_from_sample,
  serdata_to_ser,
  serdata_to_ser_ref,
  serdata_to_ser_unref,
  serdata_to_sample,
  serdata_to_untyped,
  serdata_untyped_to_sample,
  serdata_free,
  serdata_print,
  serdata_get_keyhash
#ifdef DDS_HAS_SHM
  ,
  nullptr,
  nullptr
#endif
};

void sertype_free(ddsi_sertype * type)
{
  ddsi_sertype_fini(type);
  delete type;
}

void sertype_zero_samples(const ddsi_sertype *, void * samples, size_t count)
{
  auto * typed = static_cast<RawCdrSample *>(samples);
  for (size_t i = 0; i < count; ++i) {
    typed[i].bytes.clear();
  }
}

void sertype_realloc_samples(
  void ** pointers, const ddsi_sertype *, void * old, size_t old_count, size_t count)
{
  auto * samples = new RawCdrSample[count];
  auto * previous = static_cast<RawCdrSample *>(old);
  for (size_t i = 0; i < std::min(old_count, count); ++i) {
    samples[i] = std::move(previous[i]);
  }
  delete[] previous;
  for (size_t i = 0; i < count; ++i) {
    pointers[i] = &samples[i];
  }
}

void sertype_free_samples(const ddsi_sertype *, void ** pointers, size_t count, dds_free_op_t op)
{
  if (count == 0 || pointers[0] == nullptr) {
    return;
  }
  if (op & DDS_FREE_ALL_BIT) {
    delete[] static_cast<RawCdrSample *>(pointers[0]);
  } else if (op & DDS_FREE_CONTENTS_BIT) {
    for (size_t i = 0; i < count; ++i) {
      static_cast<RawCdrSample *>(pointers[i])->bytes.clear();
    }
  }
}

bool sertype_equal(const ddsi_sertype *, const ddsi_sertype *) { return true; }
uint32_t sertype_hash(const ddsi_sertype *) { return 0; }

const ddsi_sertype_ops kSertypeOps = {
  ddsi_sertype_v0,
  nullptr,
  sertype_free,
  sertype_zero_samples,
  sertype_realloc_samples,
  sertype_free_samples,
  sertype_equal,
  sertype_hash,
  nullptr,
  nullptr,
  nullptr,
  nullptr,
  nullptr,
  nullptr};

}  // namespace

ddsi_sertype * make_raw_cdr_sertype(const std::string & type_name)
{
  auto * type = new ddsi_sertype();
  ddsi_sertype_init(type, type_name.c_str(), &kSertypeOps, &kSerdataOps, true);
  type->allowed_data_representation = DDS_DATA_REPRESENTATION_FLAG_XCDR1;
  return type;
}

}  // namespace detail
}  // namespace rmw_dds
