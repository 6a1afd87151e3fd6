# cmake -DFILE=path -DOUTPUT=path -P sha256.cmake: writes the SHA-256 of FILE, in lower-case hex.
file(SHA256 "${FILE}" digest)
file(WRITE "${OUTPUT}" "${digest}")
