// Diagnostic lines of the codec, shared by the buffer reader and the serializer.
#ifndef FLUTTER_CLIENT_CODEC_DIAGNOSTICS_H_
#define FLUTTER_CLIENT_CODEC_DIAGNOSTICS_H_

namespace flutter::internal {

// Writes "Invalid read in StandardCodecByteStreamReader" and a line end to standard error.
void ReportInvalidRead();

}  // namespace flutter::internal

#endif  // FLUTTER_CLIENT_CODEC_DIAGNOSTICS_H_
