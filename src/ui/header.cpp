// header
