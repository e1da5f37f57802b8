-- Run by LanguageServerEndToEndTest in headless Neovim 0.7: starts
-- quillmark-format --lsp ($QM_FORMAT_EXE) as a language server, and for each
-- line "input<TAB>output<TAB>lines" of $QM_JOBS opens the input, formats it
-- (the whole buffer, or the 1-based lines "A:B" through rangeFormatting) and
-- writes the buffer's lines to the output file. Any failure ends Neovim with
-- status 1 and a message on standard error.
local function run()
  local client_id = vim.lsp.start_client({
    name = 'quillmark',
    cmd = { os.getenv('QM_FORMAT_EXE'), '--lsp' },
    root_dir = vim.fn.getcwd(),
  })
  assert(client_id, 'the server did not start')
  for job in io.lines(os.getenv('QM_JOBS')) do
    local input, output, lines = job:match('^([^\t]*)\t([^\t]*)\t(.*)$')
    vim.cmd('edit ' .. vim.fn.fnameescape(input))
    local bufnr = vim.api.nvim_get_current_buf()
    vim.bo[bufnr].readonly = false -- the corpus may be read-only; the buffer is never written
    assert(vim.lsp.buf_attach_client(bufnr, client_id), 'cannot attach to ' .. input)
    assert(vim.wait(10000, function()
      local client = vim.lsp.get_client_by_id(client_id)
      return client ~= nil and client.initialized
    end), 'the server did not initialize')
    local client = vim.lsp.get_client_by_id(client_id)
    if lines == '' then
      vim.lsp.buf.formatting_sync(nil, 60000)
    else
      local first, last = lines:match('^(%d+):(%d+)$')
      local params = vim.lsp.util.make_given_range_params(
        { tonumber(first), 0 }, { tonumber(last), 0 }, bufnr)
      local answer = client.request_sync('textDocument/rangeFormatting', params, 60000, bufnr)
      assert(answer and answer.result, 'no range formatting for ' .. input .. ': ' .. vim.inspect(answer))
      vim.lsp.util.apply_text_edits(answer.result, bufnr, client.offset_encoding)
    end
    local file = assert(io.open(output, 'wb'))
    file:write(table.concat(vim.api.nvim_buf_get_lines(bufnr, 0, -1, true), '\n'))
    if vim.bo[bufnr].eol and vim.api.nvim_buf_line_count(bufnr) > 0 then
      file:write('\n')
    end
    file:close()
    vim.cmd('bwipeout!')
  end
  vim.lsp.stop_client(client_id)
end

local ok, err = pcall(run)
if not ok then
  io.stderr:write(tostring(err) .. '\n')
  vim.cmd('cquit 1')
end
vim.cmd('qall!')
