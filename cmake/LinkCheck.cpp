// Empty on purpose: a static library is linked whole into a shared object
// beside this file to prove it needs nothing beyond its declared dependencies.
