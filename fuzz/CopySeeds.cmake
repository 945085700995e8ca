# Replaces TO with a fresh copy of the seed corpus FROM.
file(REMOVE_RECURSE "${TO}")
file(COPY "${FROM}/" DESTINATION "${TO}")
