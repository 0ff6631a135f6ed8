// browse_loop
